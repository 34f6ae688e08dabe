#include "app/BatchMode.h"

#include <cstring>
#include <cstdio>

bool IsBatchInvocation(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strcmp(a, "--version") == 0 || std::strncmp(a, "--info", 6) == 0 ||
            std::strncmp(a, "--export", 8) == 0 || std::strncmp(a, "--script", 8) == 0)
            return true;
    }
    return false;
}

int RunBatch(const QStringList& arguments)
{
    if (arguments.contains(QStringLiteral("--version"))) {
        std::printf("Tesvan 2.04\n");
        return 0;
    }
    std::fprintf(stderr, "tesvan: not available yet\n");
    return 2;
}

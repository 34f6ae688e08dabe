#include "support/FakeUiPort.h"

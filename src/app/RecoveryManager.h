// Keeps a recovery copy of the document while it has unsaved changes and
// offers the copies of editors that ended without saving at start-up.
#pragma once

#include "doc/Recovery.h"
#include "doc/TesvanDoc.h"

#include <QObject>
#include <QTimer>

class CTesvanApp;

class CRecoveryManager : public QObject, public CDocObserver {
    Q_OBJECT
public:
    CRecoveryManager(CTesvanApp& app, CTesvanDoc* doc);
    // The editor ends normally: its copy goes.
    ~CRecoveryManager() override;

    // Script runs keep copies only when the environment asks for them.
    static bool EnabledForScripts();
    // Milliseconds from a change to its copy: 30 s, or TESVAN_RECOVERY_DELAY.
    static int Delay();

    // The start-up offer of copies left by editors no longer running.
    void OfferCopies();
    void OnUpdate(int hint) override;

private:
    void OnIdle();
    void WriteNow();
    void OnWritten(bool ok);
    void ReportWriteFailure();

    CTesvanApp& m_App;
    CTesvanDoc* m_pDoc;
    CRecoveryWriter m_Writer;
    QTimer m_Timer;
    bool m_bTouched = false;     // the document told its views about a change
    bool m_bDirty = false;       // changes the copy does not hold yet
    bool m_bPending = false;     // a copy is due once the writer is free
    bool m_bReported = false;
};

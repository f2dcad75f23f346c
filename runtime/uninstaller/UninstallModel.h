// One removal as plain code, from start to end: the page (welcome, removing, complete),
// what Next, Cancel and a close request mean on each, the removal itself with its report,
// and the exit code. It is shown through IUninstallView: the dialog (UninstallMainForm)
// renders it and forwards its buttons; /S runs it unattended and writes the report to
// the /LOG file. WinMain composes the one or the other.
#pragma once

#include "runtime/common/RemovalScope.h"
#include "runtime/uninstaller/UninstallCore.h"

#include <string>

namespace kf {

class TLogFile;

namespace uninstall {

// What the model needs from the dialog.
class IUninstallView
{
public:
    virtual ~IUninstallView() = default;
    // The page and its buttons (ButtonsForPage). The removing page shows before the
    // removal starts; the complete page after it, with Report() filled.
    virtual void ShowPage(TPage page, const TButtonState& buttons) = 0;
    // Before an entry is undone: its progress text ("" for an entry left alone).
    virtual void EntryStarting(const std::string& progressText) = 0;
    // After it: the bar moves on and waiting window messages go through (events may come
    // back into the model, which ignores them while it removes).
    virtual void EntryDone() = 0;
    // The removal has ended: the window goes and the message loop ends.
    virtual void EndProgram(int exitCode) = 0;
};

class TUninstallModel : private IRemovalProgress
{
public:
    // The removal of log's entries within scope, through system.
    TUninstallModel(TLogFile& log, TRemovalScope scope, IRemovalSystem& system);

    // The welcome page, in view. Every event below waits for it.
    void Start(IUninstallView& view);
    // With no one to ask (/S): Start, the removal, the end. Returns the exit code.
    int RunUnattended(IUninstallView& view);

    // Next (Finish on the complete page): the removal on the welcome page; the end on the
    // complete page.
    void Next();
    void Cancel();
    // Any request to close: only on the welcome page.
    void Close();

    TPage Page() const { return FPage; }
    bool Removing() const { return FRemoving; }
    bool Ended() const { return FEnded; }
    const TRemovalReport& Report() const { return FReport; }
    const TLogFile& Log() const { return FLog; }
    // The dialog ends with 0 whatever was left; unattended, RemovalExitCode tells what
    // stayed.
    int ExitCode() const;

private:
    void Show(TPage page);
    void End();

    void EntryStarting(const std::string& progressText) override { FView->EntryStarting(progressText); }
    void EntryDone() override { FView->EntryDone(); }

    TLogFile& FLog;
    TRemovalScope FScope;
    IRemovalSystem& FSystem;
    IUninstallView* FView = nullptr; // from Start on
    TPage FPage = TPage::Intro;
    TRemovalReport FReport;
    bool FUnattended = false;
    bool FRemoving = false;
    bool FEnded = false;
};

} // namespace uninstall
} // namespace kf

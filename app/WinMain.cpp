// Program entry: one program per user session, running every timer of the user. A bad command line is
// refused before anything is touched; a later copy hands its command line to the first and ends, or
// runs the timers itself once the first has ended, or says why it reached none; the first copy's
// message loop gives Tab and Enter their dialog meaning in every window of ours.
#include "app/CommandLine.h"
#include "app/Form1.h"
#include "app/TimerProgram.h"
#include "app/SingleInstance.h"
#include "core/Program.h"
#include "core/Settings.h"
#include "platform/RestartRegistration.h"
#include "ui/Controls.h"
#include "ui/DllSearch.h"
#include "ui/Dpi.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    // First of all: DLLs that system DLLs load later by bare name come from the system folder only,
    // never from the program's folder (a portable copy unpacked in Downloads) or the current one.
    ui::RestrictDllSearchToSystem();
    // Before any window exists: the windows then take their sizes from their own monitor's DPI and are
    // drawn sharp, instead of stretched by the system. The executable carries no manifest to say so.
    ui::OptIntoPerMonitorDpiAwareness();

    const std::vector<std::wstring> arguments = app::ProgramArguments();
    const app::CommandLineRequest request = app::ParseCommandLine(arguments);
    // A clock time is checked by this copy's clock; the copy that runs the timer counts it by its own,
    // when it acts on it.
    const app::CommandLineRequest checked = app::ResolveTimeOfDay(request, app::UtcNow(), app::SystemZoneRule);
    if (checked.kind == app::CommandLineRequest::Kind::Bad) {
        core::ShowUserMessage(app::BadArgumentText(checked.badArgument, checked.problem));
        return 2;
    }
    if (request.kind == app::CommandLineRequest::Kind::Usage) {
        core::ShowUserMessage(app::UsageText());
        return 0;
    }

    app::SingleInstance instance;
    app::NoTimerReason reason{};
    switch (instance.Claim(arguments, reason)) {
    case app::SingleInstance::Outcome::HandedOver:
        // No window, no tray icon, no setting: the first copy does what was asked.
        return 0;
    case app::SingleInstance::Outcome::Refused:
        // The clock time has become the time now by the first copy's clock, or is no longer valid there.
        core::ShowUserMessage(app::BadArgumentText(request.badArgument, instance.Refusal()));
        return 2;
    case app::SingleInstance::Outcome::NoTimer:
        // The user asked for a timer and none runs for them: never an end without a word.
        core::ShowUserMessage(app::NoTimerText(reason));
        return 3;
    case app::SingleInstance::Outcome::Owner:
        break;
    }

    app::TimerProgram program;
    // The end of the program ends the process at once, whatever else is open or running.
    program.onEnd = [] { ExitProcess(0); };
    // The tray icon, which the load puts in the tray, reaches the shell once the window is drawn: the
    // shell's answer does not stand between the start and the window.
    program.cSysTray1.HoldAdd(true);
    if (!program.Create()) return 1;
    instance.Publish(program.hwnd());
    // The timers of a run that ended without the user's word (a crash, a log-off, an update) come back.
    // Without them, a new timer is the main window's own.
    app::CommandLineRequest own = request;
    if (!program.RestoreTimers() && own.newTimer) {
        own.newTimer = false;
        if (own.kind == app::CommandLineRequest::Kind::None && !own.label.empty()) program.Main().SetLabel(own.label);
    }
    // A start is never silent: the main window shows, whatever its record says, and the rest of the
    // start follows.
    program.Main().Show(showCommand);
    // A portable copy whose folder takes no file keeps its settings in the registry, and says so once.
    if (const std::wstring fallback = core::PortableFallbackMessage(); !fallback.empty()) core::ShowUserMessage(fallback);
    // Windows starts the program again after an update restart or a crash, and the timers come back.
    platform::RegisterRestart();
    // A switch with no timer running has nothing to act on: the program starts idle. A clock time may
    // have become the time now since it was checked.
    if (own.kind != app::CommandLineRequest::Kind::None || own.newTimer) {
        const std::intptr_t answer = program.HandOver(own);
        if (const auto problem = app::RefusalOf(answer)) {
            core::ShowUserMessage(app::BadArgumentText(request.badArgument, *problem));
        }
    }

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) ui::DispatchToWindow(msg);
    return static_cast<int>(msg.wParam);
}

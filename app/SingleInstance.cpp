// One timer per user session: the named mutex that says which copy owns the timer, the shared word
// that tells later copies its main window, and the hand-over of their command line.
#include "app/SingleInstance.h"

#include "app/CommandLine.h"
#include "app/TimerProgram.h"
#include "core/AppTitle.h"
#include "ui/MessageFilter.h"
#include "ui/ProcAddress.h"

#include <sddl.h>
#include <shellapi.h>

#include <cwchar>

namespace app {
namespace {

// A later copy may start a moment after the first, while that one is still loading its window.
ULONGLONG const kWaitForFirstCopyMs = 15000;
DWORD const kPollMs = 50;
// The first copy answers at once and acts afterwards; a hung one is not waited for longer.
UINT const kHandOverTimeoutMs = 5000;
// After a refusal, or with a first copy out of reach, how long its end is waited for.
ULONGLONG const kWaitAfterRefusalMs = 10000;

// The user's SID as text ("S-1-5-21-..."): the same for every session of the user, unlike the name.
std::wstring UserSid() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return L"";
    const core::UniqueKernelObject ownedToken(token);
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    if (size < sizeof(TOKEN_USER)) return L"";
    // operator new's alignment suits TOKEN_USER and the SID behind it.
    std::vector<unsigned char> buffer(size);
    if (!GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) return L"";
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) return L"";
    const core::UniqueLocalMemory ownedText(text);
    return text;
}

// What a copy run as administrator makes is by default open to administrators and the system only, so
// a copy of normal rights of the same user could neither wait for it nor find its window. Its objects
// grant that user the rights given, no more; those of any other copy keep the defaults (null).
core::UniqueLocalMemory ElevatedCopyAccess(const std::wstring& sid, const wchar_t* userRights) {
    if (sid.empty() || !ui::ProcessIsElevated()) return {};
    const std::wstring sddl = L"D:(A;;GA;;;SY)(A;;GA;;;BA)(A;;" + std::wstring(userRights) + L";;;" + sid + L")";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr)) {
        return {};
    }
    return core::UniqueLocalMemory(descriptor);
}

}  // namespace

std::vector<std::wstring> ProgramArguments() {
    const wchar_t* const commandLine = GetCommandLineW();
    std::vector<std::wstring> arguments;
    // Most starts carry none; shell32, which splits them, and all it loads are then spared the start.
    if (!CommandLineHasArguments(commandLine)) return arguments;
    const auto split = ui::SystemFunction<decltype(&CommandLineToArgvW)>(L"shell32.dll", "CommandLineToArgvW");
    if (!split) return arguments;
    int count = 0;
    const core::UniqueLocalMemory list(split(commandLine, &count));
    if (!list) return arguments;
    wchar_t* const* argv = static_cast<wchar_t* const*>(list.get());
    for (int i = 1; i < count; ++i) arguments.emplace_back(argv[i]);
    return arguments;
}

SingleInstance::SingleInstance(SharedObjectCalls calls) : calls_(calls) {
    // Local\ is the session's own namespace; the SID keeps apart users who share a session (Run as).
    const std::wstring sid = UserSid();
    base_ = L"Local\\" + std::wstring(core::kProductName) + L" " + sid;
    // Waiting on the mutex (SYNCHRONIZE, MUTANT_QUERY_STATE) and reading the word (SECTION_QUERY,
    // SECTION_MAP_READ).
    mutexAccess_ = ElevatedCopyAccess(sid, L"0x100001");
    wordAccess_ = ElevatedCopyAccess(sid, L"0x5");
    OpenMutex();
    MapWindowWord();
}

void SingleInstance::OpenMutex() {
    const std::wstring name = base_ + L" timer";
    SECURITY_ATTRIBUTES attributes{sizeof attributes, mutexAccess_.get(), FALSE};
    HANDLE mutex = calls_.create(mutexAccess_ ? &attributes : nullptr, TRUE, name.c_str());
    const DWORD error = GetLastError();
    // A copy run as administrator made it, and a copy of normal rights may not open it whole: a copy
    // runs all the same. Waiting on it may still be allowed.
    administrator_ = !mutex && error == ERROR_ACCESS_DENIED;
    if (administrator_) mutex = calls_.open(SYNCHRONIZE, FALSE, name.c_str());
    mutex_.reset(mutex);
    // An existing mutex is opened, not owned: the initial-owner request counts only for its creator.
    owner_ = mutex && !administrator_ && error != ERROR_ALREADY_EXISTS;
}

void SingleInstance::MapWindowWord() {
    view_.reset();
    mapping_.reset();
    // Mutexes and mappings share one namespace: the two names differ.
    const std::wstring name = base_ + L" window";
    SECURITY_ATTRIBUTES attributes{sizeof attributes, wordAccess_.get(), FALSE};
    HANDLE mapping = calls_.createMapping(INVALID_HANDLE_VALUE, wordAccess_ ? &attributes : nullptr, PAGE_READWRITE,
                                          0, sizeof(LONG), name.c_str());
    // A copy run as administrator made it, and lets this copy read it.
    readOnly_ = !mapping && GetLastError() == ERROR_ACCESS_DENIED;
    if (readOnly_) mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, name.c_str());
    mapping_.reset(mapping);
    const DWORD access = readOnly_ ? FILE_MAP_READ : FILE_MAP_READ | FILE_MAP_WRITE;
    if (mapping_) view_.reset(MapViewOfFile(mapping_.get(), access, 0, 0, sizeof(LONG)));
}

bool SingleInstance::TryOwn(DWORD waitMs) {
    if (owner_) return true;
    if (!mutex_) {
        // Not even allowed to wait: the mutex goes with the last copy that holds it, and this copy
        // then makes it anew.
        Sleep(waitMs);
        OpenMutex();
    } else {
        // A first copy that ends, however it ends, leaves the mutex to one waiting copy.
        const DWORD waited = WaitForSingleObject(mutex_.get(), waitMs);
        owner_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    }
    // The word an administrator's copy made was out of reach, or for reading only: the new owner
    // publishes in its own.
    if (owner_ && (!view_ || readOnly_)) MapWindowWord();
    return owner_;
}

SingleInstance::Outcome SingleInstance::Claim(const std::vector<std::wstring>& arguments, NoTimerReason& reason) {
    reason = administrator_ ? NoTimerReason::Administrator : NoTimerReason::NotAnswering;
    // A mutex name taken by an object of another kind: this copy cannot tell whether another runs, and
    // runs its own timer rather than none.
    if (owner_ || (!mutex_ && !administrator_)) return Outcome::Owner;
    // Without the word, an administrator's window is never found: only its end is waited for.
    ULONGLONG end = GetTickCount64() + (view_ ? kWaitForFirstCopyMs : kWaitAfterRefusalMs);
    HWND tried = nullptr;
    for (;;) {
        if (TryOwn(kPollMs)) return Outcome::Owner;
        const HWND window = PublishedWindow();
        if (window && window != tried) {
            tried = window;
            if (HandOver(window, arguments, reason)) return Outcome::HandedOver;
            // A refusal for what was asked: waiting changes nothing.
            if (refusal_) return Outcome::Refused;
            if (reason == NoTimerReason::Busy) return Outcome::NoTimer;
            if (administrator_) reason = NoTimerReason::Administrator;
            // A closing copy ends in a moment and leaves the timer to this one.
            end = GetTickCount64() + kWaitAfterRefusalMs;
        }
        if (GetTickCount64() >= end) return Outcome::NoTimer;
    }
}

void SingleInstance::Publish(HWND mainWindow) {
    // Window handles are 32-bit values in every process, whatever its bitness.
    if (view_ && !readOnly_) InterlockedExchange(static_cast<LONG volatile*>(view_.get()), HandleToLong(mainWindow));
}

HWND SingleInstance::PublishedWindow() const {
    if (!view_) return nullptr;
    // An aligned word is read whole; an interlocked read would write, and the view may be read-only.
    const LONG value = *static_cast<const LONG volatile*>(view_.get());
    const HWND window = static_cast<HWND>(LongToHandle(value));
    // A copy that ended leaves its handle behind, and the system may give it to another window.
    wchar_t className[64] = {};
    if (!window || !GetClassNameW(window, className, 64) || std::wcscmp(className, TimerProgram::kClassName) != 0) {
        return nullptr;
    }
    return window;
}

bool SingleInstance::HandOver(HWND firstWindow, const std::vector<std::wstring>& arguments,
                              NoTimerReason& reason) {
    DWORD processId = 0;
    GetWindowThreadProcessId(firstWindow, &processId);
    // The user started this copy, so it may bring a window to the front; the first copy runs in the
    // background and may not, unless this copy passes the right on before it ends.
    if (processId != 0) AllowSetForegroundWindow(processId);
    const std::vector<std::uint16_t> units = EncodeHandOver(arguments);
    COPYDATASTRUCT data{};
    data.dwData = kHandOverTag;
    data.cbData = static_cast<DWORD>(units.size() * sizeof(std::uint16_t));
    data.lpData = units.empty() ? nullptr : const_cast<std::uint16_t*>(units.data());
    DWORD_PTR answer = 0;
    // WM_COPYDATA must be sent, not posted: the system copies the data only for the send.
    if (!SendMessageTimeoutW(firstWindow, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                             kHandOverTimeoutMs, &answer)) {
        // Privilege isolation drops a message to a more privileged process with access denied.
        reason = GetLastError() == ERROR_ACCESS_DENIED ? NoTimerReason::Administrator : NoTimerReason::NotAnswering;
        return false;
    }
    const auto answered = static_cast<std::intptr_t>(answer);
    if (answered == kHandOverTaken) return true;
    if (const auto problem = RefusalOf(answered)) refusal_ = *problem;
    reason = answered == kHandOverClosing ? NoTimerReason::Closing
             : answered == kHandOverBusy  ? NoTimerReason::Busy
                                          : NoTimerReason::NotAnswering;
    return false;
}

}  // namespace app

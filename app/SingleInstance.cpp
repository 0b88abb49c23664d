// One timer per user session: the named mutex that says which copy owns the timer, the shared word
// that tells later copies its main window, and the hand-over of their command line.
#include "app/SingleInstance.h"

#include "app/CommandLine.h"
#include "app/Form1.h"
#include "core/AppTitle.h"

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

}  // namespace

std::vector<std::wstring> ProgramArguments() {
    int count = 0;
    const core::UniqueLocalMemory list(CommandLineToArgvW(GetCommandLineW(), &count));
    std::vector<std::wstring> arguments;
    if (!list) return arguments;
    wchar_t* const* argv = static_cast<wchar_t* const*>(list.get());
    for (int i = 1; i < count; ++i) arguments.emplace_back(argv[i]);
    return arguments;
}

SingleInstance::SingleInstance() {
    // Local\ is the session's own namespace; the SID keeps apart users who share a session (Run as).
    const std::wstring base = L"Local\\" + std::wstring(core::kProductName) + L" " + UserSid();
    HANDLE mutex = CreateMutexW(nullptr, TRUE, (base + L" timer").c_str());
    // An existing mutex is opened, not owned: the initial-owner request counts only for its creator.
    const bool existed = mutex && GetLastError() == ERROR_ALREADY_EXISTS;
    mutex_.reset(mutex);
    owner_ = mutex && !existed;
    // Mutexes and mappings share one namespace: the two names differ.
    mapping_.reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(LONG),
                                      (base + L" window").c_str()));
    if (mapping_) view_.reset(MapViewOfFile(mapping_.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(LONG)));
}

bool SingleInstance::Claim(HWND& firstWindow) {
    firstWindow = nullptr;
    // Without the mutex (its name taken by an object of another kind, or no right to it) this copy
    // cannot tell whether another runs; it runs its own timer rather than none.
    if (owner_ || !mutex_) return true;
    const ULONGLONG end = GetTickCount64() + kWaitForFirstCopyMs;
    for (;;) {
        // A first copy that ends, however it ends, leaves the mutex to one waiting copy, which then
        // owns the timer instead.
        const DWORD waited = WaitForSingleObject(mutex_.get(), kPollMs);
        if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
            owner_ = true;
            return true;
        }
        firstWindow = PublishedWindow();
        if (firstWindow || GetTickCount64() >= end) return false;
    }
}

void SingleInstance::Publish(HWND mainWindow) {
    // Window handles are 32-bit values in every process, whatever its bitness.
    if (view_) InterlockedExchange(static_cast<LONG volatile*>(view_.get()), HandleToLong(mainWindow));
}

HWND SingleInstance::PublishedWindow() const {
    if (!view_) return nullptr;
    const LONG value = InterlockedCompareExchange(static_cast<LONG volatile*>(view_.get()), 0, 0);
    const HWND window = static_cast<HWND>(LongToHandle(value));
    // A copy that ended leaves its handle behind, and the system may give it to another window.
    wchar_t className[64] = {};
    if (!window || !GetClassNameW(window, className, 64) || std::wcscmp(className, Form1::kClassName) != 0) {
        return nullptr;
    }
    return window;
}

bool SingleInstance::HandOver(HWND firstWindow, const std::vector<std::wstring>& arguments) {
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
        return false;
    }
    return answer == TRUE;
}

}  // namespace app

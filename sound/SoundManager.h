// The SoundManager module: 32 numbered sound buffers loaded whole from WAV files and played through
// wave-out; the device reports a returned buffer with MM_WOM_DONE to a hidden notification window.
#pragma once

#include "sound/BufferTable.h"
#include "sound/WaveOut.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <span>
#include <string>

namespace sound {

// Reads a RIFF/WAVE file into buffer 1 to 32 and opens a wave-out device for its format. False for another
// number, after the message box for a bad file, or when the notification window cannot be made. An empty
// data chunk or one of 2^31 bytes or more raises core::HandlerError. Without a sound device the buffer is
// Loaded with no device and Play returns false.
bool Load(std::int32_t bufferIndex, const std::wstring& fileName, std::uint32_t flags);
// Loads as Load does, with no message box: a file it cannot read leaves the loader's message in `message`
// for the caller to show when it suits, the alarm's once Time Expired is up.
bool LoadQuietly(std::int32_t bufferIndex, const std::wstring& fileName, std::uint32_t flags, std::wstring& message);
// Starts a Loaded buffer; a Playing buffer is stopped instead and false returned, as is a buffer whose
// header the device refuses (released then, with UnloadWhenDone).
bool Play(std::int32_t bufferIndex);
// Plays a Loaded buffer, or the system's alert sound when it does not start (no device, a format the
// device refuses); a buffer loaded with UnloadWhenDone that did not start is released.
bool PlayOrFallback(std::int32_t bufferIndex);
// Resets a Playing buffer's device (all for -1); it reads Playing until MM_WOM_DONE has been handled.
// Numbers other than -1 and 1 to 32 raise core::HandlerError("Subscript out of range").
void Stop(std::int32_t bufferIndex);
// Releases a buffer's device, header and samples (all for -1); numbers as Stop.
void Unload(std::int32_t bufferIndex);
// Unloads everything, then unhooks and destroys the notification window.
void Shutdown();

// Plays the alarm's buffer. When there is no device yet for it (none, busy, short of memory), the
// notification window's timer (kDeviceRetryTimer) tries again every half second for 15 seconds and plays
// it from its start once one opens; then, or at once when there is nothing to play or the device refuses
// it, the system's alert sound plays instead, and for a repeating alarm again every two seconds
// (kFallbackRepeatTimer) until StopAlarm.
bool PlayAlarm(std::int32_t bufferIndex, bool repeat = false);
// The alarm was answered, or nobody is there to hear it: no more tries for a device, no more alert
// sounds, and a repeating alarm's sound stops. Stop of its buffer ends the tries too.
void StopAlarm();
inline constexpr UINT_PTR kDeviceRetryTimer = 1;
inline constexpr UINT_PTR kFallbackRepeatTimer = 2;
// Reads a WAV file as Load does, without a device, and asks the wave mapper whether it plays the
// file's format: false after the loader's message for a file it could not read, or after
// kCannotPlayFormat. With no device there, a file that reads is accepted. Raises as Load does.
bool Check(const std::wstring& fileName);
// The system calls under the module; the platform's until a test puts its own.
void UseSystem(SoundSystem system);
// Lowest Free buffer, 0 when all 32 are in use.
std::int32_t FindFreeBuffer();
// Buffer that owns the device handle, 0 when none does.
std::int32_t FindBufferByDevice(HWAVEOUT device);
// Creates and subclasses the notification window; false when it exists already or cannot be created.
bool CreateNotifyWindow();
// The notification window's replacement window procedure.
LRESULT CALLBACK NotifyWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The listener reference: empty at start; the program installs none.
SoundManagerNotifier* Notifier();
void SetNotifier(SoundManagerNotifier* notifier);

// What a buffer holds, for tests and diagnostics; numbers outside 1 to 32 raise core::HandlerError.
BufferState State(std::int32_t bufferIndex);
HWAVEOUT Device(std::int32_t bufferIndex);
std::span<const std::byte> SampleBytes(std::int32_t bufferIndex);
// The notification window, null until the first Load that reaches the data chunk and after Shutdown.
HWND NotifyWindow();

}  // namespace sound

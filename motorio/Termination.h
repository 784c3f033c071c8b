#pragma once
// SIGINT and SIGTERM while motors may run. The first of them switches both lines of every open
// serial device off at once, from the signal handler itself, and asks the program to end: a
// running cut ends within one round (every line off, simulated ones included) and the window
// thread is woken through a pipe to quit. A second signal ends the process at once, as it would
// without the handler. Should the process die without any of this (a crash, SIGKILL), the kernel
// closes its descriptors, and the ports are opened with hang-up on close, so the last close
// drops DTR and RTS.

namespace torvane {

// Installs the handlers (again: nothing more). Returns the read end of the wake pipe, which
// becomes readable once termination is requested; -1 when no pipe could be made.
int InstallTerminationHandlers() noexcept;
// True once SIGINT or SIGTERM arrived after InstallTerminationHandlers.
bool TerminationRequested() noexcept;
// Forgets a request (for tests, which keep running after one), draining the wake pipe.
void ClearTerminationRequest() noexcept;

// The serial descriptors the handler switches off; each registered while its port is open.
// Room for kMaxLineDescriptors at once; beyond that a port still works but relies on hang-up.
inline constexpr int kMaxLineDescriptors = 256;
void RegisterLineDescriptor(int fd) noexcept;
void UnregisterLineDescriptor(int fd) noexcept;

}  // namespace torvane

// File-system redirection of a 32-bit program on 64-bit Windows: its view of
// "%windir%\System32" is "%windir%\SysWOW64" unless the calling thread
// switches redirection off. Elsewhere these calls do nothing and succeed.
#pragma once

namespace tav::platform {

// Wow64DisableWow64FsRedirection / Wow64RevertWow64FsRedirection. The saved
// value restores the state the thread had before.
bool DisableWow64FsRedirection(void** old_value);
bool RevertWow64FsRedirection(void* old_value);

}  // namespace tav::platform

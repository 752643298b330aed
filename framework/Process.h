#pragma once
// Who this process is, for files that outlive it: its id, and the boot of
// the system it runs in (a process id is only unique within one boot).

#include <QString>

[[nodiscard]] long AfxProcessId();
// The kernel's identifier of the current boot; empty where there is none.
[[nodiscard]] QString AfxBootId();

#pragma once
// Which section of the user guide explains a help context: a command, a
// window made from a resource, or a control bar.

#include "framework/Afx.h"

#include <QString>

// The section's anchor in the guide; empty for the guide's start.
[[nodiscard]] QString HelpTopic(DWORD context);

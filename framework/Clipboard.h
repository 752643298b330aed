#pragma once
// Clipboard formats: the program's private formats are MIME types named
// after the registered format name.

#include "framework/Afx.h"

#include <QString>

// A nonzero identifier for the named format; the same name gives the same one.
UINT AfxRegisterClipboardFormat(const QString& name);
// The MIME type of a registered format; empty when the identifier is unknown.
[[nodiscard]] QString AfxClipboardMimeType(UINT format);

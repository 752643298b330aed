#pragma once
// Why a Replace All pass failed, kept to be reported once the pass is out
// of reach: a box shown while it could still be ended would let the input
// answering the box end it again.

#include "framework/Afx.h"
#include "framework/FileException.h"

#include <optional>

struct CReplaceAllFailure {
    // The message of the step the pass stands for, said when nothing tells
    // the cause.
    UINT Message = 0;
    // What the system said: a full disk, an I/O error, no descriptors left.
    std::optional<CFileException> Cause;

    [[nodiscard]] bool Failed() const { return Message != 0 || Cause.has_value(); }
    // One box: the cause's text when there is one, else the step's message.
    void Report() const;
};

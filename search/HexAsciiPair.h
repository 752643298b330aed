#pragma once
// A dialog's text box and hex box for one byte string, kept in step while
// the user types. The hex box is authoritative: its parse gives the bytes
// every dialog action uses. Hex text is cells of two digits and a blank,
// "32 34 68 67 ".

#include "search/AsciiBox.h"
#include "search/HexBox.h"

#include <QString>

class CDialog;

class CHexAsciiPair {
public:
    CHexAsciiPair();
    virtual ~CHexAsciiPair() = default;
    CHexAsciiPair(const CHexAsciiPair&) = delete;
    CHexAsciiPair& operator=(const CHexAsciiPair&) = delete;

    static constexpr int MaxBytes = 250;
    static constexpr int MaxHexChars = 3 * MaxBytes;

    // Binds the dialog's edit controls and limits what can be typed in them.
    void AttachControls(int asciiId, int hexId, CDialog* pDialog);
    // Regenerates the hex box, Bytes and Count from the text box.
    void AsciiToHex();
    // Parses the hex box into Bytes and Count and regenerates the text box;
    // TRUE when the hex text has a format error (reported in the status bar).
    BOOL HexToAscii();

    // Three characters per byte, upper-case digits, the last cell's blank included.
    [[nodiscard]] static QString HexTextOf(const char* pBytes, int count);

    CAsciiBox AsciiBox;
    CHexBox HexBox;
    // Count bytes and a NUL after a successful conversion.
    char Bytes[MaxBytes + 1] = {};
    int Count = 0;
    BOOL SyncEnabled = TRUE;
    BOOL ZeroSeen = FALSE;
};

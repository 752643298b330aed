#pragma once
// Pieces the dialog templates share.

#include <QString>

class CDialog;
class QBoxLayout;
class QGridLayout;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QWidget;

// The font every template names: 8-point "MS Sans Serif", or the nearest face.
void SetTemplateFont(CDialog& dialog);
// A push button under its identifier; the default button answers Enter.
QPushButton* AddPushButton(CDialog& dialog, QBoxLayout* pLayout, int id, const QString& text,
                           bool isDefault = false);
// "Ascii:" and "Hex:" rows from row on: the text box first in tab order, the
// hex box in upper case. pParent is the dialog or a group box of it.
void AddEntryPairRows(CDialog& dialog, QWidget* pParent, QGridLayout* pLayout, int row, int asciiId, int hexId);
// A group box of two radio buttons with consecutive identifiers.
QGroupBox* RadioPair(CDialog& dialog, const QString& title, int firstId, const QString& first,
                     const QString& second, bool sideBySide = false);
// A right-aligned prompt and its upper-case edit box on the first row, with
// "&Cancel" and the default "OK" on the second; tab order edit, OK, Cancel.
QLineEdit* BuildPromptDialog(CDialog& dialog, const QString& prompt, int editId);

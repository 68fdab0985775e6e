// The system's side of the report text services: the character set, the dialog
// font and its metrics, rich-edit controls, the clock, the system version and the
// clipboard.
#pragma once

#include "ReportTextConversions.h"
#include "Types.h"

#include <windows.h>

#include <string>

// The character set of the user's default ANSI code page.
int DefaultCharset();

// The exception dialog's font, used by the rich-text documents.
void SetDialogFont(const std::string& name, int pointSize);
// Charset, the dialog font, and the width of 21 dashes in that font on the screen.
TRtfFrame DialogRtfFrame();
std::string GeneralSectionToRtf(const std::string& text);
std::string CallStackToRtf(const std::string& text);

// Streams a rich-text document into a rich-edit control (EM_STREAMIN, SF_RTF).
void LoadRtf(HWND richEdit, const std::string& rtf);
// A negative colour is a system colour whose index is its low byte.
void SetRichEditBackground(HWND richEdit, TColor color);

// A local time with the zone of the current offset from universal time.
std::string DateText(const SYSTEMTIME& local);
std::string NowDateText();

std::string OperatingSystemName();

// Puts the text on the clipboard as plain text, for the application's main window.
bool CopyToClipboard(const std::string& text);

// Message boxes of the program, with texts from the string table or from the system.
#pragma once
#include <functional>
#include <string>

#include "framework/strings.h"
#include "platform/win.h"

namespace framework {

// Answers the boxes in place of the user when the program runs without its pages: given the
// text, the caption and the style, it returns the button that counts as pressed. While one
// is set, no box is shown. An empty answerer shows the boxes again.
using BoxAnswerer = std::function<int(const std::string& text, const std::string& caption, UINT style)>;
void SetBoxAnswerer(BoxAnswerer answerer);
bool BoxesAnswered();

// A box with a given text and a caption from the string table. Returns the button pressed.
// Every box goes to the run's log with its answer.
int ShowText(HWND owner, const std::string& text, UINT captionId, UINT style);

// A box with text and caption from the string table.
int ShowMessage(HWND owner, UINT textId, UINT captionId, UINT style);

// A box whose text is a string-table prefix followed by the system text for the error.
int ShowPrefixedError(HWND owner, UINT prefixId, DWORD code, UINT captionId, UINT style);

// The system text for the error under a caption from the string table, stop icon, OK.
int ShowSystemError(HWND owner, DWORD code, UINT captionId);

}  // namespace framework

// The parts of the hyperlink label that are plain text and number logic: building the browser
// command from the registered ".htm" handler, the explanation of a failed open, and the choice of
// the text colour. They build on every target, so the host build and the fuzzer cover them.
#pragma once

#include <cstdint>
#include <string>

// A colour in the layout of the system's COLORREF (red in the low byte, then green, then blue).
using LinkColour = std::uint32_t;

constexpr LinkColour MakeLinkColour(unsigned red, unsigned green, unsigned blue) {
  return static_cast<LinkColour>((red & 0xFFu) | ((green & 0xFFu) << 8) | ((blue & 0xFFu) << 16));
}

// Colours a browser uses for a link: not yet opened, opened, under the mouse.
constexpr LinkColour kLinkColourDefault = MakeLinkColour(0, 0, 238);
constexpr LinkColour kLinkColourVisited = MakeLinkColour(85, 26, 139);
constexpr LinkColour kLinkColourHover = MakeLinkColour(255, 0, 0);

// The text colour for a state: the mouse over the link wins over a link already opened.
LinkColour ChooseLinkColour(bool overControl, bool visited, LinkColour link, LinkColour visitedColour,
                            LinkColour hover);

// Turns the command registered for ".htm" files into one that opens `url`: the command is cut where
// its placeholder starts (the quoted "%1" if present, else a bare %1, else nothing is cut), then a
// blank and the address follow. The address is not quoted.
std::wstring BuildHtmOpenCommand(const std::wstring& registeredCommand, const std::wstring& url);

// The explanation for a failed open by the shell's result code (0 to 32), and the whole message.
std::wstring LinkOpenErrorReason(long long code);
std::wstring LinkOpenErrorMessage(long long code);

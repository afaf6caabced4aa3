#include "controls/link_label_core.h"

#include "win/format_core.h"

LinkColour ChooseLinkColour(bool overControl, bool visited, LinkColour link, LinkColour visitedColour,
                            LinkColour hover) {
  if (overControl) return hover;
  if (visited) return visitedColour;
  return link;
}

std::wstring BuildHtmOpenCommand(const std::wstring& registeredCommand, const std::wstring& url) {
  std::wstring command = registeredCommand;
  size_t cut = command.find(L"\"%1\"");
  if (cut == std::wstring::npos) cut = command.find(L"%1");
  if (cut != std::wstring::npos) command.erase(cut);
  command += L' ';
  command += url;
  return command;
}

std::wstring LinkOpenErrorReason(long long code) {
  // The shell's historical result codes for ShellExecute and WinExec.
  switch (code) {
    case 0:
      return L"The operating system is out\nof memory or resources.";
    case 2:
      return L"The specified file was not found.";
    case 3:
      return L"The specified path was not found.";
    case 5:
      return L"The operating system denied\naccess to the specified file.";
    case 8:
      return L"There was not enough memory to complete the operation.";
    case 11:
      return L"The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
    case 26:
      return L"A sharing violation occurred. ";
    case 27:
      return L"The filename association is\nincomplete or invalid.";
    case 28:
      return L"The DDE transaction could not\nbe completed because the request timed out.";
    case 29:
      return L"The DDE transaction failed.";
    case 30:
      return L"The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed.";
    case 31:
      return L"There is no application associated\nwith the given filename extension.";
    case 32:
      return L"The specified dynamic-link library was not found.";
    default:
      return FormatString(std::wstring(L"Unknown Error (%d) occurred."), code);
  }
}

std::wstring LinkOpenErrorMessage(long long code) {
  return L"Unable to open hyperlink:\n\n" + LinkOpenErrorReason(code);
}

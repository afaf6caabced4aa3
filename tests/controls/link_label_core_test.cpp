#include <gtest/gtest.h>

#include "controls/link_label_core.h"

TEST(LinkLabelCore, HtmCommandCutsAtThePlaceholder) {
  const std::wstring url = L"http://www.example.com/";
  // The quoted placeholder goes with its quotes; the blank before it stays, one more follows.
  EXPECT_EQ(BuildHtmOpenCommand(L"\"C:\\Program Files\\Browser\\browser.exe\" -nohome \"%1\"", url),
            L"\"C:\\Program Files\\Browser\\browser.exe\" -nohome  http://www.example.com/");
  // A bare placeholder is cut at its percent sign, and what followed it is dropped too.
  EXPECT_EQ(BuildHtmOpenCommand(L"C:\\browser.exe %1 -new", url), L"C:\\browser.exe  http://www.example.com/");
  // No placeholder: the whole command, then the address.
  EXPECT_EQ(BuildHtmOpenCommand(L"C:\\browser.exe", url), L"C:\\browser.exe http://www.example.com/");
  // A quoted placeholder wins over an earlier bare one.
  EXPECT_EQ(BuildHtmOpenCommand(L"b.exe %1 \"%1\"", L"u"), L"b.exe %1  u");
  // Edge shapes: the placeholder first, a lone quote, an empty command.
  EXPECT_EQ(BuildHtmOpenCommand(L"\"%1\"", L"u"), L" u");
  EXPECT_EQ(BuildHtmOpenCommand(L"b.exe \"%1", L"u"), L"b.exe \" u");
  EXPECT_EQ(BuildHtmOpenCommand(L"", L"u"), L" u");
  EXPECT_EQ(BuildHtmOpenCommand(L"b.exe %", L"u"), L"b.exe % u");
}

TEST(LinkLabelCore, OpenErrorTextsByCode) {
  EXPECT_EQ(LinkOpenErrorMessage(26), L"Unable to open hyperlink:\n\nA sharing violation occurred. ");
  EXPECT_EQ(LinkOpenErrorMessage(4), L"Unable to open hyperlink:\n\nUnknown Error (4) occurred.");
  EXPECT_EQ(LinkOpenErrorReason(0), L"The operating system is out\nof memory or resources.");
  EXPECT_EQ(LinkOpenErrorReason(31), L"There is no application associated\nwith the given filename extension.");
  EXPECT_EQ(LinkOpenErrorReason(32), L"The specified dynamic-link library was not found.");
  EXPECT_EQ(LinkOpenErrorReason(-1), L"Unknown Error (-1) occurred.");
  EXPECT_EQ(LinkOpenErrorReason(33), L"Unknown Error (33) occurred.");
  EXPECT_EQ(LinkOpenErrorReason(4294967296LL), L"Unknown Error (4294967296) occurred.");
}

TEST(LinkLabelCore, ColourByState) {
  const LinkColour link = kLinkColourDefault, visited = kLinkColourVisited, hover = kLinkColourHover;
  EXPECT_EQ(ChooseLinkColour(false, false, link, visited, hover), link);
  EXPECT_EQ(ChooseLinkColour(false, true, link, visited, hover), visited);
  EXPECT_EQ(ChooseLinkColour(true, false, link, visited, hover), hover);
  // The hover colour shows even on a link already opened.
  EXPECT_EQ(ChooseLinkColour(true, true, link, visited, hover), hover);
  // Same byte layout as the system's RGB().
  EXPECT_EQ(kLinkColourDefault, 0x00EE0000u);
  EXPECT_EQ(kLinkColourVisited, 0x008B1A55u);
  EXPECT_EQ(kLinkColourHover, 0x000000FFu);
}

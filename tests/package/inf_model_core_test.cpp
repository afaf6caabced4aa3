// Extraction of the model lines from INF text: which line is taken, what the id keeps, where the
// description comes from, and what an incomplete line gives.
#include <gtest/gtest.h>

#include <string>

#include "package/inf_model_core.h"

namespace {

const std::wstring kModels =
    L"[Version]\r\n"
    L"Signature=\"$Windows NT$\"\r\n"
    L"[KESTROM]\r\n"
    L"\"KESTROM KQ-80\" = KQ80.GPD, USBPRINT\\KESTROMKQ-80E5A1\r\n"
    L"\"KESTROM KQ-80 LPT\" = KQ80.GPD, LPTENUM\\KESTROMKQ-80E5A1  \r\n";

}  // namespace

TEST(InfModelLines, ModelsLineGivesIdAndQuotedDescription) {
  const InfModelInfo info = ParseInfModelText(kModels);
  EXPECT_EQ(info.usbHardwareId, L"USBPRINT\\KESTROMKQ-80E5A1");
  EXPECT_EQ(info.usbDescription, L"KESTROM KQ-80");
  EXPECT_EQ(info.lptHardwareId, L"LPTENUM\\KESTROMKQ-80E5A1");
}

TEST(InfModelLines, LineOrderDoesNotMatter) {
  const std::wstring swapped =
      L"[M]\n\"LPT model\" = S, LPTENUM\\ID2\n\"USB model\" = S, USBPRINT\\ID1\n";
  const InfModelInfo info = ParseInfModelText(swapped);
  EXPECT_EQ(info.usbHardwareId, L"USBPRINT\\ID1");
  EXPECT_EQ(info.usbDescription, L"USB model");
  EXPECT_EQ(info.lptHardwareId, L"LPTENUM\\ID2");
}

TEST(InfModelLines, IdRunsToTheEndOfItsLine) {
  const InfModelInfo info =
      ParseInfModelText(L"[M]\n\"Both\" = S, USBPRINT\\A, LPTENUM\\B ; note \t\r\n\"L\" = S, LPTENUM\\C\n");
  EXPECT_EQ(info.usbHardwareId, L"USBPRINT\\A, LPTENUM\\B ; note");
  // The first LPTENUM occurrence is on the USB line; its id runs to that line's end.
  EXPECT_EQ(info.lptHardwareId, L"LPTENUM\\B ; note");
}

TEST(InfModelLines, MarkerIsMatchedExactly) {
  const InfModelInfo info = ParseInfModelText(L"[M]\n\"a\" = S, usbprint\\x\n\"b\" = S, UsbPrint\\y\n");
  EXPECT_TRUE(info.usbHardwareId.empty());
  EXPECT_TRUE(info.usbDescription.empty());
  EXPECT_EQ(ParseInfModelText(L"x\n\"d\" USBPRINT \\z\n").usbHardwareId, L"");
}

TEST(InfModelLines, FirstOccurrenceWinsEvenInAComment) {
  const InfModelInfo info =
      ParseInfModelText(L"[M]\n; \"old\" was USBPRINT\\OLD\r\n\"new\" = S, USBPRINT\\NEW\r\n");
  EXPECT_EQ(info.usbHardwareId, L"USBPRINT\\OLD");
  EXPECT_EQ(info.usbDescription, L"old");
}

TEST(InfModelLines, MarkerOnTheLastLineWithoutLineFeedGivesNothing) {
  const InfModelInfo info = ParseInfModelText(L"[M]\n\"m\" = S, USBPRINT\\X\r\n\"l\" = S, LPTENUM\\Y");
  EXPECT_EQ(info.usbHardwareId, L"USBPRINT\\X");
  EXPECT_TRUE(info.lptHardwareId.empty());
  const InfMarkerLine last = ExtractInfMarkerLine(L"[M]\n\"m\" = S, USBPRINT\\X", kInfUsbMarker);
  EXPECT_TRUE(last.id.empty());
  EXPECT_TRUE(last.description.empty());
}

TEST(InfModelLines, DescriptionNeedsTwoQuotesOnALineAfterALineFeed) {
  // First line of the text: there is no line before it to start from.
  InfMarkerLine line = ExtractInfMarkerLine(L"\"m\" = S, USBPRINT\\X\n", kInfUsbMarker);
  EXPECT_EQ(line.id, L"USBPRINT\\X");
  EXPECT_TRUE(line.description.empty());
  // No quote on the line: quotes of earlier lines are not used.
  line = ExtractInfMarkerLine(L"\"q\"\nm = S, USBPRINT\\X\n", kInfUsbMarker);
  EXPECT_EQ(line.id, L"USBPRINT\\X");
  EXPECT_TRUE(line.description.empty());
  // One quote only.
  line = ExtractInfMarkerLine(L"x\n\"m = S, USBPRINT\\X\n\"y\"\n", kInfUsbMarker);
  EXPECT_TRUE(line.description.empty());
  // Quotes after the marker count too, and the text is taken as written.
  line = ExtractInfMarkerLine(L"x\nUSBPRINT\\X ; \"%Model% \u6253\u5370\"\n", kInfUsbMarker);
  EXPECT_EQ(line.description, L"%Model% \u6253\u5370");
  line = ExtractInfMarkerLine(L"x\n\"\" = S, USBPRINT\\X\n", kInfUsbMarker);
  EXPECT_TRUE(line.description.empty());
}

TEST(InfModelLines, MissingMarkerGivesEmptyFields) {
  const InfModelInfo info = ParseInfModelText(L"[Version]\nSignature=\"$Windows NT$\"\n");
  EXPECT_TRUE(info.usbHardwareId.empty());
  EXPECT_TRUE(info.usbDescription.empty());
  EXPECT_TRUE(info.lptHardwareId.empty());
  EXPECT_TRUE(ParseInfModelText(L"").usbHardwareId.empty());
}

TEST(InfModelLines, HugeLinesAreTakenWhole) {
  const std::wstring tail(200000, L'Z');
  const InfModelInfo info = ParseInfModelText(L"[M]\n\"" + std::wstring(100000, L'd') + L"\" = S, USBPRINT\\" + tail + L"\r\n");
  EXPECT_EQ(info.usbHardwareId, L"USBPRINT\\" + tail);
  EXPECT_EQ(info.usbDescription.size(), 100000u);
}

// Extraction of the model lines from INF text: which line is taken, what the id keeps, where the
// description comes from, and what an incomplete line gives. Reading the [Manufacturer] section:
// which models section serves which machine and Windows version.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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

// ---- The architectures the package serves.

namespace {

const WindowsVersion kWindows7{6, 1, 7601};
const WindowsVersion kWindows10{10, 0, 19045};
const WindowsVersion kWindows11{10, 0, 26100};

const wchar_t kModelLine[] = L"\"KESTROM KQ-80\" = KQ80.GPD, USBPRINT\\KESTROMKQ-80E5A1\r\n";

// An INF whose [Manufacturer] holds `manufacturer` and which fills the models sections named.
std::wstring Inf(const std::wstring& manufacturer, const std::vector<std::wstring>& filled) {
  std::wstring text = L"[Version]\r\nSignature=\"$Windows NT$\"\r\n[Manufacturer]\r\n" + manufacturer + L"\r\n";
  for (const std::wstring& section : filled) text += L"[" + section + L"]\r\n" + kModelLine;
  return text;
}

std::wstring Chosen(const std::wstring& inf, Machine machine, const WindowsVersion& version) {
  const InfModelsChoice choice = ChooseInfModels(ReadInfPackageModels(inf), machine, version);
  return choice.verdict == InfModelsVerdict::kServed ? choice.section : L"-";
}

}  // namespace

// How an entry is written: any letter case, blanks, quotes that hide commas and semicolons,
// comments, continued lines, several decorations, and a manufacturer name without models name.
TEST(InfPackageModels, ReadsTheManufacturerEntriesAsWindowsDoes) {
  const InfPackageModels package = ReadInfPackageModels(
      L"[manufacturer]\n"
      L"  %KESTROM% =  Kestrom , ntx86 ,NTamd64.10.0 ; , NTarm64 in a comment\n"
      L"\"Acme; Inc.\" = \"Acme, Models\" , NTarm64\\\n"
      L"   , NT\n"
      L"; only a comment\n"
      L"Plain Maker\n"
      L"[Other]\n"
      L"%X% = NotAManufacturer, NTamd64\n");
  ASSERT_TRUE(package.hasManufacturerSection);
  ASSERT_EQ(package.entries.size(), 3u);
  EXPECT_EQ(package.entries[0].modelsSection, L"Kestrom");
  ASSERT_EQ(package.entries[0].decorations.size(), 2u);
  EXPECT_EQ(package.entries[0].decorations[0].text, L"ntx86");
  EXPECT_EQ(package.entries[0].decorations[0].architecture, L"x86");
  EXPECT_EQ(package.entries[0].decorations[1].architecture, L"amd64");
  EXPECT_EQ(package.entries[1].modelsSection, L"Acme, Models");
  ASSERT_EQ(package.entries[1].decorations.size(), 2u);
  EXPECT_EQ(package.entries[1].decorations[0].text, L"NTarm64");
  EXPECT_EQ(package.entries[1].decorations[1].text, L"NT");
  EXPECT_EQ(package.entries[2].modelsSection, L"Plain Maker");
  EXPECT_TRUE(package.entries[2].decorations.empty());
  EXPECT_EQ(DescribeInfDecorations(package),
            L"Kestrom: ntx86, NTamd64.10.0; Acme, Models: NTarm64, NT; Plain Maker: undecorated");
}

TEST(InfPackageModels, DecorationFieldsAndWhatIsNotUnderstood) {
  const InfPackageModels package = ReadInfPackageModels(
      L"[Manufacturer]\nM = M, NTamd64.10.0...17763, NT.6.1.0x1, NTx86.5, NTamd64.x, AMD64, NTamd64.1.2.3.4.5.6\n");
  ASSERT_EQ(package.entries.size(), 1u);
  const std::vector<InfTargetDecoration>& d = package.entries[0].decorations;
  ASSERT_EQ(d.size(), 6u);
  EXPECT_TRUE(d[0].understood && d[0].hasVersion);
  EXPECT_EQ(d[0].major * 100 + d[0].minor, 1000u);
  EXPECT_EQ(d[0].build, 17763u);
  EXPECT_TRUE(d[1].understood);
  EXPECT_EQ(d[1].architecture, L"");
  EXPECT_EQ(d[1].minor, 1u);
  EXPECT_TRUE(d[2].understood);
  EXPECT_EQ(d[2].major, 5u);
  EXPECT_EQ(d[2].minor, 0u);
  EXPECT_FALSE(d[3].understood);
  EXPECT_FALSE(d[4].understood);
  EXPECT_FALSE(d[5].understood);
  EXPECT_NE(DescribeInfDecorations(package).find(L"AMD64 (not understood)"), std::wstring::npos);
}

// Which architecture each form serves: NTamd64 only x64, NTarm64 only ARM64, and "NT" alone or no
// decoration only x86.
TEST(InfPackageModels, EachMachineNeedsItsOwnSection) {
  const std::wstring both = Inf(L"%K%=K,NTx86,NTamd64", {L"K", L"K.NTx86", L"K.NTamd64"});
  EXPECT_EQ(Chosen(both, Machine::kX86, kWindows10), L"K.NTx86");
  EXPECT_EQ(Chosen(both, Machine::kX64, kWindows10), L"K.NTamd64");
  EXPECT_EQ(Chosen(both, Machine::kArm64, kWindows11), L"-");

  const std::wstring undecorated = Inf(L"%K%=K", {L"K"});
  EXPECT_EQ(Chosen(undecorated, Machine::kX86, kWindows7), L"K");
  EXPECT_EQ(Chosen(undecorated, Machine::kX64, kWindows7), L"-");
  EXPECT_EQ(Chosen(undecorated, Machine::kArm64, kWindows11), L"-");

  const std::wstring ntAlone = Inf(L"%K%=K,NT", {L"K.NT"});
  EXPECT_EQ(Chosen(ntAlone, Machine::kX86, kWindows7), L"K.NT");
  EXPECT_EQ(Chosen(ntAlone, Machine::kX64, kWindows7), L"-");

  // A second manufacturer may be the one that serves; section names match in any letter case.
  const std::wstring arm = Inf(L"%A%=A,NTx86\n%B%=B,ntARM64", {L"A.NTx86", L"b.ntarm64"});
  EXPECT_EQ(Chosen(arm, Machine::kArm64, kWindows11), L"B.ntARM64");
}

// A version suffix serves that version and later ones; the closest decoration wins, and an empty
// section chosen so keeps the package off those systems (Microsoft's own example).
TEST(InfPackageModels, VersionSuffixesServeThatVersionAndLater) {
  const std::wstring ten = Inf(L"%K%=K,NTamd64.10.0", {L"K.NTamd64.10.0"});
  EXPECT_EQ(Chosen(ten, Machine::kX64, kWindows7), L"-");
  EXPECT_EQ(Chosen(ten, Machine::kX64, kWindows10), L"K.NTamd64.10.0");

  const std::wstring build = Inf(L"%K%=K,NTamd64.10.0...22000", {L"K.NTamd64.10.0...22000"});
  EXPECT_EQ(Chosen(build, Machine::kX64, kWindows10), L"-");
  EXPECT_EQ(Chosen(build, Machine::kX64, kWindows11), L"K.NTamd64.10.0...22000");
  EXPECT_EQ(Chosen(build, Machine::kX64, WindowsVersion{10, 0, 0}), L"K.NTamd64.10.0...22000");

  const std::wstring closest =
      Inf(L"%K%=K,NTamd64,NTamd64.6.1,NTamd64.10.0", {L"K.NTamd64", L"K.NTamd64.6.1", L"K.NTamd64.10.0"});
  EXPECT_EQ(Chosen(closest, Machine::kX64, WindowsVersion{5, 2, 3790}), L"K.NTamd64");
  EXPECT_EQ(Chosen(closest, Machine::kX64, WindowsVersion{6, 3, 9600}), L"K.NTamd64.6.1");
  EXPECT_EQ(Chosen(closest, Machine::kX64, kWindows11), L"K.NTamd64.10.0");

  const std::wstring example = L"[Manufacturer]\n%M% = M,NT.6.0,NTx86.5.1\n[M.NT.6.0]\n[M.NTx86.5.1]\n" +
                               std::wstring(kModelLine) + L"[M]\n; nothing for Windows 2000\n";
  EXPECT_EQ(Chosen(example, Machine::kX86, WindowsVersion{5, 0, 2195}), L"-");
  EXPECT_EQ(Chosen(example, Machine::kX86, WindowsVersion{5, 1, 2600}), L"M.NTx86.5.1");
  EXPECT_EQ(Chosen(example, Machine::kX86, WindowsVersion{6, 0, 6002}), L"-");
}

TEST(InfPackageModels, MissingSectionsServeNothing) {
  // The entry names NTamd64, but the INF has no such section.
  EXPECT_EQ(Chosen(Inf(L"%K%=K,NTx86,NTamd64", {L"K.NTx86"}), Machine::kX64, kWindows10), L"-");
  const InfModelsChoice none = ChooseInfModels(ReadInfPackageModels(L"[K]\n" + std::wstring(kModelLine)),
                                               Machine::kX86, kWindows10);
  EXPECT_EQ(none.verdict, InfModelsVerdict::kNoManufacturerSection);
  EXPECT_EQ(DescribeInfDecorations(ReadInfPackageModels(L"")), L"no [Manufacturer] section");
  const InfPackageModels empty = ReadInfPackageModels(L"[Manufacturer]\n; none yet\n");
  EXPECT_EQ(ChooseInfModels(empty, Machine::kX86, kWindows10).verdict, InfModelsVerdict::kNotForThisMachine);
  EXPECT_EQ(DescribeInfDecorations(empty), L"[Manufacturer] names no models section");
}

// The bundled sample: a package that 32-bit and 64-bit Windows accept, from which the wizard
// still reads the same model lines. Read from the source tree (host build) or from beside the
// test program, where the Windows build copies it.
TEST(InfPackageModels, TheBundledSampleServesX86AndX64AndKeepsItsModelLines) {
  std::string source = __FILE__;
  source = source.substr(0, source.find("tests/package/")) + "samples/KQPRINTER.INF";
  std::ifstream file(source, std::ios::binary);
  if (!file) file.open("KQPRINTER.INF", std::ios::binary);
  ASSERT_TRUE(file.is_open()) << "samples/KQPRINTER.INF";
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::wstring text;
  for (char c : bytes) {
    ASSERT_GE(c, 0) << "the sample is ASCII";
    text.push_back(static_cast<wchar_t>(c));
  }

  const InfModelInfo info = ParseInfModelText(text);
  EXPECT_EQ(info.usbHardwareId, L"USBPRINT\\KESTROMKQ-80E5A1");
  EXPECT_EQ(info.usbDescription, L"KESTROM KQ-80");
  EXPECT_EQ(info.lptHardwareId, L"LPTENUM\\KESTROMKQ-80E5A1");

  const InfPackageModels package = ReadInfPackageModels(text);
  EXPECT_EQ(DescribeInfDecorations(package), L"KESTROM: NTx86, NTamd64");
  EXPECT_EQ(ChooseInfModels(package, Machine::kX86, WindowsVersion{5, 0, 2195}).section, L"KESTROM");
  EXPECT_EQ(ChooseInfModels(package, Machine::kX86, kWindows10).section, L"KESTROM.NTx86");
  EXPECT_EQ(ChooseInfModels(package, Machine::kX64, kWindows11).section, L"KESTROM.NTamd64");
  EXPECT_EQ(ChooseInfModels(package, Machine::kArm64, kWindows11).verdict, InfModelsVerdict::kNotForThisMachine);
}

// Texts built into the helper program.
#pragma once

// The name the helper's own switches register, start, stop and remove it under. The wizard runs
// the helper under a name of its own ("Printer Helper") and does not use these switches.
constexpr wchar_t kHelperServiceName[] = L"KQPrinterHelper";

// What a parallel-port device id must contain when the wizard left no "_BrandSeries": the
// provider name followed by the series code, as the wizard itself writes it.
constexpr wchar_t kDefaultBrandSeries[] = L"KESTROMKQ";

// Parallel-port printers of the series that report the series name instead of the brand.
constexpr wchar_t kAlternativeBrand[] = L"KQPRINTER";

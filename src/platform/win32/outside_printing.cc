#include "platform/win32/outside_printing.h"

#include <array>


namespace qreport {

std::string NotInstalledMessage(std::string_view missing, std::string_view report_path) {
  std::string text = "The print utility is not installed (";
  text += missing;
  text += " was not found).\r\nThe report was not printed; it is in ";
  text += report_path;
  return text;
}

OutsidePrinting::~OutsidePrinting() {
  if (print_library_ != nullptr) ::FreeLibrary(print_library_);
  if (picker_library_ != nullptr) ::FreeLibrary(picker_library_);
}

std::string OutsidePrinting::Load() {
  if (picker_library_ == nullptr) picker_library_ = ::LoadLibraryA(kPickerLibrary);
  if (picker_library_ == nullptr) return kPickerLibrary;
  picker_ = reinterpret_cast<GetThePrinterFn>(reinterpret_cast<void*>(::GetProcAddress(picker_library_, kPickerFunction)));
  if (picker_ == nullptr) return std::string(kPickerFunction) + " in " + kPickerLibrary;
  if (print_library_ == nullptr) print_library_ = ::LoadLibraryA(kPrintLibrary);
  if (print_library_ == nullptr) return kPrintLibrary;
  print_ = reinterpret_cast<DllPrintFn>(reinterpret_cast<void*>(::GetProcAddress(print_library_, kPrintFunction)));
  if (print_ == nullptr) return std::string(kPrintFunction) + " in " + kPrintLibrary;
  return {};
}

std::string OutsidePrinting::PickPrinter(std::string_view report_path) {
  if (picker_ == nullptr) return {};
  std::array<BSTR, 6> args{};
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string_view text = i == 1 ? report_path : std::string_view();
    args[i] = ::SysAllocStringByteLen(text.data(), static_cast<UINT>(text.size()));
  }
  BSTR reply = picker_(&args[0], &args[1], &args[2], &args[3], &args[4], &args[5]);
  for (BSTR arg : args) ::SysFreeString(arg);
  if (reply == nullptr) return {};
  std::string text(reinterpret_cast<const char*>(reply), ::SysStringByteLen(reply));
  ::SysFreeString(reply);
  return text;
}

void OutsidePrinting::Print(std::string_view command) {
  if (print_ == nullptr) return;
  std::string text(command);  // NUL-terminated
  print_(0, text.c_str());
}

}  // namespace qreport

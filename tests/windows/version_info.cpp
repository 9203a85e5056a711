// keyrelay-version-info FILE: prints FILE's version resource as Windows reads it
// for Explorer's Details tab, one "Name=value" a line: the fixed versions and file
// type, then each string of the first language the resource lists.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <vector>

namespace {

constexpr DWORD kFixedInfoSignature = 0xFEEF04BD;
constexpr size_t kQueryChars = 64;
constexpr const wchar_t* kStringNames[] = {L"FileDescription",  L"FileVersion", L"InternalName",
                                           L"OriginalFilename", L"ProductName", L"ProductVersion"};

struct Translation {
  WORD language;
  WORD codePage;
};

void printVersion(const char* name, DWORD high, DWORD low) {
  std::printf("%s=%u.%u.%u.%u\n", name, unsigned{HIWORD(high)}, unsigned{LOWORD(high)},
              unsigned{HIWORD(low)}, unsigned{LOWORD(low)});
}

int fail(const char* what, const char* file) {
  std::fprintf(stderr, "%s: %s (error %lu)\n", file, what, GetLastError());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: keyrelay-version-info FILE\n", stderr);
    return 2;
  }
  // The A functions take the name as given; the block they fill is the one that
  // the W queries below read, as Explorer does.
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(argv[1], &ignored);
  if (size == 0) return fail("no version resource", argv[1]);
  std::vector<BYTE> info(size);
  if (!GetFileVersionInfoA(argv[1], 0, size, info.data())) {
    return fail("version resource unreadable", argv[1]);
  }

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT bytes = 0;
  if (!VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &bytes) ||
      bytes < sizeof *fixed || fixed->dwSignature != kFixedInfoSignature) {
    return fail("no fixed file information", argv[1]);
  }
  printVersion("FixedFileVersion", fixed->dwFileVersionMS, fixed->dwFileVersionLS);
  printVersion("FixedProductVersion", fixed->dwProductVersionMS, fixed->dwProductVersionLS);
  std::printf("FileType=%lu\n", fixed->dwFileType);

  Translation* translations = nullptr;
  if (!VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                      reinterpret_cast<void**>(&translations), &bytes) ||
      bytes < sizeof *translations) {
    return fail("no translation listed", argv[1]);
  }
  for (const wchar_t* name : kStringNames) {
    wchar_t query[kQueryChars];
    std::swprintf(query, kQueryChars, L"\\StringFileInfo\\%04x%04x\\%ls",
                  unsigned{translations->language}, unsigned{translations->codePage}, name);
    wchar_t* value = nullptr;
    UINT chars = 0;
    if (VerQueryValueW(info.data(), query, reinterpret_cast<void**>(&value), &chars) && chars > 0) {
      std::printf("%ls=%ls\n", name, value);
    }
  }
  return 0;
}

// voxtrel.dll carries the options dialog's art as the dialog loads it: icon 111 with a
// 16 x 16, 256-colour image, and bitmap 121 of 68 x 268 pixels in 256 colours.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <set>

namespace {

#pragma pack(push, 2)
struct GroupIconEntry {
  BYTE width, height, colourCount, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

std::filesystem::path DllBesideThisProgram() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return std::filesystem::path(path).parent_path() / L"voxtrel.dll";
}

const BYTE* Resource(HMODULE module, const wchar_t* type, int id, DWORD* size) {
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
  if (found == nullptr) return nullptr;
  *size = SizeofResource(module, found);
  return static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
}

BITMAPINFOHEADER HeaderOf(const BYTE* data) {
  BITMAPINFOHEADER header;
  std::memcpy(&header, data, sizeof header);
  return header;
}

TEST(OptionsArt, IconAndSidePictureAreTheDesignedSizesIn256Colours) {
  HMODULE dll = LoadLibraryExW(DllBesideThisProgram().c_str(), nullptr,
                               LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(dll, nullptr);
  DWORD size = 0;
  const BYTE* group = Resource(dll, RT_GROUP_ICON, 111, &size);
  ASSERT_NE(group, nullptr);
  WORD count = 0;
  std::memcpy(&count, group + 4, sizeof count);
  ASSERT_EQ(count, 1);
  GroupIconEntry entry;
  std::memcpy(&entry, group + 6, sizeof entry);
  EXPECT_EQ(entry.width, 16);
  EXPECT_EQ(entry.height, 16);
  EXPECT_EQ(entry.bitCount, 8);
  const BYTE* icon = Resource(dll, RT_ICON, entry.id, &size);
  ASSERT_NE(icon, nullptr);
  const BITMAPINFOHEADER iconHeader = HeaderOf(icon);
  EXPECT_EQ(iconHeader.biWidth, 16);
  EXPECT_EQ(iconHeader.biHeight, 32);  // the image and its mask
  EXPECT_EQ(iconHeader.biBitCount, 8);
  // Drawn, not blank: the 16 x 16 indices use several colours.
  const BYTE* pixels = icon + sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD);
  EXPECT_GT(std::set<BYTE>(pixels, pixels + 256).size(), 2u);

  const BYTE* picture = Resource(dll, RT_BITMAP, 121, &size);
  ASSERT_NE(picture, nullptr);
  const BITMAPINFOHEADER pictureHeader = HeaderOf(picture);
  EXPECT_EQ(pictureHeader.biWidth, 68);
  EXPECT_EQ(pictureHeader.biHeight, 268);
  EXPECT_EQ(pictureHeader.biBitCount, 8);
  FreeLibrary(dll);
}

}  // namespace

// The bitmap libraries: every picture the programs load by name is there,
// in each library, and no two pictures share their colours.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

BOOL CALLBACK AddName(HMODULE, LPCSTR, LPSTR name, LONG_PTR names) {
  if (!IS_INTRESOURCE(name)) reinterpret_cast<std::vector<std::string>*>(names)->push_back(name);
  return TRUE;
}

TEST(BitmapLibraries, HoldEveryPictureInColoursOfItsOwn) {
  const char* const needed[] = {
      "HALVORN_BMP_BASKET_BACK_BMP", "HALVORN_BMP_BASKET_L_BMP", "HALVORN_BMP_BASKET_R_BMP",
      "HALVORN_BMP_TRAYICON_CLOSE_BMP", "HALVORN_BMP_TRAYICON_SCHEDOFF_BMP",
      "HALVORN_BMP_TRAYICON_BASKETPASTE_BMP", "HALVORN_BMP_STRIP_BMP", "HALVORN_BMP_VIEW1HI_BMP",
      "HALVORN_BMP_RIGHT3_BMP", "HALVORN_BMP_ITEMSTOREDREMOVEDICON_BMP",
      "HALVORN_BMP_ITEMSTATEXCLAMATION_BMP", "HALVORN_BMP_GREYNOSLIT_BMP"};
  for (const char* library : {"HalvornBasket.dll", "HalvornBasket4.dll", "Halvorn.dll",
                              "Halvorn4.dll"}) {
    SCOPED_TRACE(library);
    HMODULE module = LoadLibraryA(library);
    ASSERT_NE(module, nullptr);
    std::vector<std::string> names;
    EnumResourceNamesA(module, MAKEINTRESOURCEA(2), AddName, reinterpret_cast<LONG_PTR>(&names));
    EXPECT_EQ(names.size(), 123u);
    std::set<std::string> have;
    for (std::string name : names) have.insert(name);
    for (const char* name : needed) EXPECT_TRUE(have.count(name)) << name;
    std::set<std::pair<COLORREF, COLORREF>> colours;
    HDC dc = CreateCompatibleDC(nullptr);
    for (const std::string& name : names) {
      HBITMAP bitmap = LoadBitmapA(module, name.c_str());
      ASSERT_NE(bitmap, nullptr) << name;
      BITMAP info;
      GetObjectA(bitmap, sizeof info, &info);
      HGDIOBJ old = SelectObject(dc, bitmap);
      colours.insert({GetPixel(dc, info.bmWidth - 4, 3), GetPixel(dc, 0, 0)});
      SelectObject(dc, old);
      DeleteObject(bitmap);
    }
    DeleteDC(dc);
    EXPECT_EQ(colours.size(), names.size());
    FreeLibrary(module);
  }
}

}  // namespace

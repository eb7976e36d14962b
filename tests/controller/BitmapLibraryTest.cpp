// The bitmap libraries: every picture the programs load by name is in the
// library they load it from, and no two pictures share their colours.
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
  const std::vector<const char*> basket = {
      "HALVORN_BMP_BASKET_BACK_BMP", "HALVORN_BMP_BASKET_L_BMP", "HALVORN_BMP_BASKET_R_BMP",
      "HALVORN_BMP_TRAYICON_CLOSE_BMP", "HALVORN_BMP_TRAYICON_SCHEDOFF_BMP",
      "HALVORN_BMP_TRAYICON_BASKETPASTE_BMP"};
  const std::vector<const char*> main = {
      "HALVORN_BMP_STRIP_BMP", "HALVORN_BMP_VIEW1HI_BMP", "HALVORN_BMP_RIGHT3_BMP",
      "HALVORN_BMP_ITEMSTOREDREMOVEDICON_BMP", "HALVORN_BMP_ITEMSTATEXCLAMATION_BMP",
      "HALVORN_BMP_GREYNOSLIT_BMP"};
  const std::pair<const char*, const std::vector<const char*>*> libraries[] = {
      {"HalvornBasket.dll", &basket}, {"HalvornBasket4.dll", &basket},
      {"Halvorn.dll", &main}, {"Halvorn4.dll", &main}};
  for (const auto& [library, needed] : libraries) {
    SCOPED_TRACE(library);
    HMODULE module = LoadLibraryA(library);
    ASSERT_NE(module, nullptr);
    std::vector<std::string> names;
    EnumResourceNamesA(module, MAKEINTRESOURCEA(2), AddName, reinterpret_cast<LONG_PTR>(&names));
    EXPECT_FALSE(names.empty());
    std::set<std::string> have;
    for (std::string name : names) have.insert(name);
    for (const char* name : *needed) EXPECT_TRUE(have.count(name)) << name;
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

// The owner-drawn menus' settings in stored form data. Enumerations are
// stored by name, option sets as lists of names, pictures as byte blocks.
#include "FontRecord.h"
#include "oxMenus.h"

namespace {

const char* const SBadValue = "Invalid property value";

const char* const kStyles[] = {"oxmNormal", "oxmWin95", "oxmWin97"};
const char* const kOptions[] = {"oxmCustomFont", "oxmBanner", "oxmBackground", "oxmMultiLine",
                                "oxmUseTagAsImageIndex"};
const char* const kEffects[] = {"ox3Normal", "ox3Flat",   "ox3Raised", "ox3Inset",   "ox3Ridged",
                                "ox3Grooved", "ox3Shadow", "ox3None",   "ox3Disabled"};
const char* const kSelections[] = {"oxmNormSel", "oxmNoSel", "oxmRaisedSel", "oxmInsetSel"};
const char* const kBackStyles[] = {"oxmSolid", "oxmPictureClip", "oxmPictureStretch", "oxmPicturePattern",
                                   "oxmHorzGradient", "oxmVertGradient"};

template <size_t N>
void WriteName(TWriter& w, const char* const (&names)[N], unsigned value) {
  w.WriteString(value < N ? names[value] : names[0]);
}

template <class E, size_t N>
E ReadName(TReader& r, const char* const (&names)[N]) {
  const std::string name = r.ReadString();
  for (size_t i = 0; i < N; ++i)
    if (name == names[i]) return static_cast<E>(i);
  throw EReadError(SBadValue);
}

void WriteBanner(TWriter& w, ToxBanner& b) {
  w.WriteListBegin();
  WriteFontRecord(w, *b.Font());
  WriteName(w, kBackStyles, b.Style());
  w.WriteInteger(b.Color());
  w.WriteInteger(b.Gradient());
  WriteName(w, kEffects, b.Font3D());
  w.WriteInteger(b.Width());
  w.WriteBoolean(b.Vertical());
  w.WriteListEnd();
}

void ReadBanner(TReader& r, ToxBanner& b) {
  r.ReadListBegin();
  ReadFontRecord(r, *b.Font(), SBadValue);
  b.SetStyle(ReadName<ToxmBackStyle>(r, kBackStyles));
  b.SetColor(r.ReadInteger());
  b.SetGradient(r.ReadInteger());
  b.SetFont3D(ReadName<T3DEffect>(r, kEffects));
  const int width = r.ReadInteger();
  if (width < 0 || width > 0xFFFF) throw EReadError(SBadValue);
  b.SetWidth(width);
  b.SetVertical(r.ReadBoolean());
  r.ReadListEnd();
}

void WriteBack(TWriter& w, ToxMenuBack& b) {
  w.WriteListBegin();
  WriteName(w, kBackStyles, b.Style());
  w.WriteInteger(b.Gradient());
  w.WriteListEnd();
}

void ReadBack(TReader& r, ToxMenuBack& b) {
  r.ReadListBegin();
  b.SetStyle(ReadName<ToxmBackStyle>(r, kBackStyles));
  b.SetGradient(r.ReadInteger());
  r.ReadListEnd();
}

}  // namespace

template <class Base>
void ToxMenuComponent<Base>::DefineProperties(TFiler& filer) {
  Base::DefineProperties(filer);
  ToxMenuData& d = data_;
  auto readImages = [this](TReader& r) { storedImageList_ = r.ReadString(); };
  filer.DefineProperty("ImageList", readImages, [&d](TWriter& w) { w.WriteString(d.imageList->Name()); },
                       d.imageList && !d.imageList->Name().empty());
  filer.DefineProperty("Images", readImages, nullptr, false);  // the same property
  filer.DefineProperty("Font", [this](TReader& r) { ReadFontRecord(r, *Font(), SBadValue); },
                       [&d](TWriter& w) { WriteFontRecord(w, d.font); }, d.Has(oxmCustomFont));
  filer.DefineProperty("Style", [this](TReader& r) { SetStyle(ReadName<ToxmStyle>(r, kStyles)); },
                       [&d](TWriter& w) { WriteName(w, kStyles, d.style); }, d.style != oxmWin95);
  filer.DefineProperty(
      "Options",
      [this](TReader& r) {
        ToxmOptions options = 0;
        r.ReadListBegin();
        while (!r.EndOfList()) options |= oxmSet(ReadName<ToxmOption>(r, kOptions));
        r.ReadListEnd();
        SetOptions(options);
      },
      [&d](TWriter& w) {
        w.WriteListBegin();
        for (unsigned o = 0; o < sizeof kOptions / sizeof kOptions[0]; ++o)
          if (d.Has(static_cast<ToxmOption>(o))) WriteName(w, kOptions, o);
        w.WriteListEnd();
      },
      d.options != oxmSet(oxmMultiLine));
  filer.DefineProperty("Color", [this](TReader& r) { SetColor(r.ReadInteger()); },
                       [&d](TWriter& w) { w.WriteInteger(d.color); }, d.color != clMenu);
  filer.DefineProperty("Banner", [&d](TReader& r) { ReadBanner(r, d.banner); },
                       [&d](TWriter& w) { WriteBanner(w, d.banner); }, d.Has(oxmBanner));
  filer.DefineBinaryProperty("Banner.Picture", [&d](TStream& s) { d.banner.Picture()->ReadData(s); },
                             [&d](TStream& s) { d.banner.Picture()->WriteData(s); },
                             d.Has(oxmBanner) && d.banner.Picture()->Graphic());
  filer.DefineProperty("Caption", [this](TReader& r) { SetCaption(r.ReadString()); },
                       [&d](TWriter& w) { w.WriteString(d.caption); }, !d.caption.empty());
  filer.DefineProperty("Font3D", [this](TReader& r) { SetFont3D(ReadName<T3DEffect>(r, kEffects)); },
                       [&d](TWriter& w) { WriteName(w, kEffects, d.font3D); }, d.font3D != ox3Normal);
  filer.DefineProperty("Background", [&d](TReader& r) { ReadBack(r, d.background); },
                       [&d](TWriter& w) { WriteBack(w, d.background); }, d.Has(oxmBackground));
  filer.DefineBinaryProperty("Background.Picture", [&d](TStream& s) { d.background.Picture()->ReadData(s); },
                             [&d](TStream& s) { d.background.Picture()->WriteData(s); },
                             d.Has(oxmBackground) && d.background.Picture()->Graphic());
  filer.DefineProperty(
      "SelectionStyle", [this](TReader& r) { SetSelectionStyle(ReadName<ToxmSelectionStyle>(r, kSelections)); },
      [&d](TWriter& w) { WriteName(w, kSelections, d.selectionStyle); }, d.selectionStyle != oxmNormSel);
  filer.DefineProperty("OwnerDraw", [this](TReader& r) { SetOwnerDraw(r.ReadBoolean()); },
                       [&d](TWriter& w) { w.WriteBoolean(d.ownerDraw); }, d.ownerDraw);
}

template <class Base>
void ToxMenuComponent<Base>::Loaded() {
  Base::Loaded();
  if (storedImageList_.empty()) return;
  TComponent* owner = this->Owner();
  if (auto* list = owner ? dynamic_cast<TImageList*>(owner->FindComponent(storedImageList_)) : nullptr)
    SetImageList(list);
  storedImageList_.clear();
}

template void ToxMenuComponent<TPopupMenu>::DefineProperties(TFiler&);
template void ToxMenuComponent<TMainMenu>::DefineProperties(TFiler&);
template void ToxMenuComponent<TPopupMenu>::Loaded();
template void ToxMenuComponent<TMainMenu>::Loaded();

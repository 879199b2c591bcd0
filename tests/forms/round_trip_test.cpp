// Round trips through a form with one control of every kind: form → store →
// fresh form, and form → dictionary → store → fresh form.
#include "forms_fixture.hpp"

namespace tamrel::testing {
namespace {

// One control of every kind, the same on every call; values start empty.
struct SettingsForm {
  SettingsForm() {
    for (const char* item : {"Arial", "Courier", "Times"}) font->AddItem(item);
    for (int32_t points : {10, 12, 14}) size->AddItem(std::to_string(points) + " pt");
    for (int32_t i = 0; i < 3; ++i) size->ItemData(i, 10 + 2 * i);
    for (const char* item : {"red", "green", "blue"}) pick->AddItem(item);
    form->Add<Label>("prop=Caption");  // not bound
  }
  // Every control's state as one comparable list of texts.
  Values State() const {
    Values state = {name->Text(), notes->Text(), font->Text(), title->Caption(), shared->Text()};
    for (int32_t number : {font->ListIndex(), size->ListIndex(), int32_t{bold->Value()},
                           int32_t{left->Value()}, int32_t{right->Value()}, colour->BackColor()}) {
      state.push_back(std::to_string(number));
    }
    for (int32_t i = 0; i < pick->ListCount(); ++i) state.push_back(pick->Selected(i) ? "+" : "-");
    return state;
  }
  void Fill(const std::string& notes_text) {
    name->Text("Plant 7");
    notes->Text(notes_text);
    font->ListIndex(1);
    size->ListIndex(2);
    bold->Value(CheckBox::kChecked);
    right->Value(true);
    pick->Selected(0, true);
    pick->Selected(2, true);
    colour->BackColor(0x00FF00);
    title->Caption("Settings");
    shared->Text("/var/lib/plant");
  }

  std::shared_ptr<StandardForm> form = std::make_shared<StandardForm>();
  std::shared_ptr<TextBox> name = form->Add<TextBox>("id=Name");
  std::shared_ptr<TextBox> notes = form->Add<TextBox>("id=Notes", true);
  std::shared_ptr<ComboBox> font = form->Add<ComboBox>("id=Font");
  std::shared_ptr<ComboBox> size =
      form->Add<ComboBox>("id=Size;prop=ItemData", ComboBox::kDropDownList);
  std::shared_ptr<CheckBox> bold = form->Add<CheckBox>("id=Bold");
  std::shared_ptr<OptionButton> left = form->Add<OptionButton>("id=Left");
  std::shared_ptr<OptionButton> right = form->Add<OptionButton>("id=Right");
  std::shared_ptr<ListBox> pick = form->Add<ListBox>("id=Pick", ListBox::kSimpleMultiSelect);
  std::shared_ptr<Label> colour = form->Add<Label>("id=Colour;prop=BackColor");
  std::shared_ptr<Label> title = form->Add<Label>("id=Title;prop=Caption");
  std::shared_ptr<TextBox> shared = form->Add<TextBox>("id=Shared.Path");
};

using RoundTripTest = FormsTest;

TEST_F(RoundTripTest, FormThroughTheStoreIntoAFreshForm) {
  SettingsForm original;
  original.Fill("first\r\n\r\nthird\r\n");
  context_->ExtractTagsFromForm("Dlg", *original.form);
  // Extraction files a dotted id under the tag; population reads the tag before the dot.
  EXPECT_EQ(Stored("Dlg", "Shared.Path"), Values{"/var/lib/plant"});
  context_->Value("Shared", "Path", Variant("/var/lib/plant"));

  SettingsForm copy;
  ASSERT_NE(copy.State(), original.State());
  context_->PopulateFormFromTags("Dlg", *copy.form, snapshot_);
  EXPECT_EQ(copy.State(), original.State());
  EXPECT_TRUE(host_->Errors().empty());
}

TEST_F(RoundTripTest, FormThroughADictionaryAndTheStoreWithChangedExact) {
  SettingsForm original;
  original.Fill("one line");  // several lines would come back reversed
  EXPECT_TRUE(ExtractToCollection(*original.form));
  context_->BuildFromCollection("Dlg", snapshot_);

  const std::pair<const char*, void (*)(SettingsForm&)> edits[] = {
      {"none", [](SettingsForm&) {}},
      {"text", [](SettingsForm& f) { f.name->Text("Plant 8"); }},
      {"multi-line text", [](SettingsForm& f) { f.notes->Text("first"); }},
      {"combo text", [](SettingsForm& f) { f.font->Text("Wingdings"); }},
      {"item data", [](SettingsForm& f) { f.size->ListIndex(0); }},
      {"check box", [](SettingsForm& f) { f.bold->Value(CheckBox::kGrayed); }},
      {"option button", [](SettingsForm& f) { f.left->Value(true); }},
      {"list box", [](SettingsForm& f) { f.pick->Selected(1, true); }},
      {"back colour", [](SettingsForm& f) { f.colour->BackColor(1); }},
      {"caption", [](SettingsForm& f) { f.title->Caption("Other"); }},
      {"dotted id", [](SettingsForm& f) { f.shared->Text("/tmp"); }},
  };
  for (const auto& [label, edit] : edits) {
    SCOPED_TRACE(label);
    SettingsForm copy;
    Dictionary fresh;
    context_->PopulateFormFromTags("Dlg", *copy.form, fresh);
    EXPECT_EQ(copy.State(), original.State());
    snapshot_ = fresh;  // what the form now shows
    EXPECT_FALSE(ExtractToCollection(*copy.form));
    edit(copy);
    EXPECT_EQ(ExtractToCollection(*copy.form), label != std::string("none"));
    EXPECT_FALSE(ExtractToCollection(*copy.form)) << "the dictionary now holds the edit";
  }
  EXPECT_TRUE(host_->Errors().empty());
}

}  // namespace
}  // namespace tamrel::testing

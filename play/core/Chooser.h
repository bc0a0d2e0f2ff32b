// TfLoad, the level set chooser, as state and commands. The list of known
// sets lives in the machine registry under a name per set.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "RegistryKeys.h"

namespace gdl {

class Prompts;
class Registry;
class ToolRunner;

inline constexpr char kChooserCaption[] = "Load Level Set";
inline constexpr char kChooserLabel[] = "Select Level Set to Load";
inline constexpr char kOtherDialogTitle[] = "Load Other Level Set";
inline constexpr char kOtherDialogFilter[] =
    "GDL Level Sets (*.gdl)|*.gdl|GDL Projects (*.gdp)|*.gdp|All GDL files "
    "(*.gdl,*.gdp)|*.gdl;*.gdp|All files (*.*)|*.*";
inline constexpr char kNewSetCaption[] = "New Level Set";
inline constexpr char kRemoveSetCaption[] = "Remove Level Set";
inline constexpr char kCopyrightPrefix[] = "Copyright \xA9";

enum class ModalResult { None, Ok, Cancel };

struct ChooserView {
    std::vector<std::string> cLevelSets;
    int selected = -1;
    std::string Label2;  // copyright line
    std::string Label3;  // comments
    bool bOKEnabled = false;
    bool popupEnabled = false;  // mPopup is shown on right-click
    ModalResult result = ModalResult::None;
};

class Chooser {
public:
    Chooser(Registry& registry, Prompts& prompts, ToolRunner& runner)
        : registry_(registry), prompts_(prompts), runner_(runner) {}

    // Caller contract before each showing.
    void Prepare(const std::string& installFolder, const std::string& folder,
                 const std::string& fileName);

    void FormActivate();
    void cLevelSetsClick();
    void bOKClick();
    void bCancelClick() { view_.result = ModalResult::Cancel; }
    void bOtherClick();
    void Remove1Click();
    void About1Click();
    void OfferLevelSet(const std::string& name, const std::string& path);
    void Select(int row) { view_.selected = row; }

    const ChooserView& View() const { return view_; }
    // dOpen's file name: the chosen path once the result is OK.
    const std::string& FileName() const { return fileName_; }

private:
    std::string StoredPath(const std::string& name) const;
    std::string SelectedName() const;
    // The stored path of the selected entry; empty without a selection.
    std::string SelectedPath() const;
    void ClearDetails();
    void ShowDetails(const std::string& path);

    Registry& registry_;
    Prompts& prompts_;
    ToolRunner& runner_;
    ChooserView view_;
    std::string installFolder_;
    std::string folder_;
    std::string fileName_;
};

}  // namespace gdl

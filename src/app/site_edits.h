#pragma once
#include <cstddef>
#include <functional>
#include <optional>
#include <variant>
#include <vector>

#include "model/breakline_list.h"
#include "model/survey_point.h"

namespace vellacor {

struct SiteModel;
class Ui;

// The reversible edits of a site, each with what it takes to go back and forth.

// Edit Point changed a point's elevation, description or Use in Surface.
// Turning Use in Surface off drops the point's breaklines: the list as it
// was comes back on undo, in its order, so the surface is made as before.
struct PointEdit {
    int point = 0;
    SurveyPoint before;
    SurveyPoint after;
    std::optional<std::vector<Breakline>> breaklinesBefore;
};

// A wall point appended after the last point from point `from`, with the
// breakline that makes its face.
struct WallPointEdit {
    int from = 0;
    SurveyPoint wall;
};

// A breakline picked (added) or taken back with key U (removed).
struct BreaklineEdit {
    Breakline pair;
    bool added = true;
};

using SiteEdit = std::variant<PointEdit, WallPointEdit, BreaklineEdit>;

// The undo and redo stacks and whether the site differs from what was last
// opened or saved. A new edit empties the redo stack.
struct SiteEdits {
    std::vector<SiteEdit> done;
    std::vector<SiteEdit> undone;
    std::optional<std::size_t> savedDepth = 0;  // `done` size when saved; none once that state is gone
    bool changedWithoutUndo = false;            // a moved limit polygon, a texture, an overlay
};

void recordSiteEdit(SiteModel& model, SiteEdit edit);
// A change the history does not take back, that still wants saving.
void markSiteChanged(SiteModel& model);
void markSiteSaved(SiteModel& model);
bool hasUnsavedChanges(const SiteModel& model);

bool canUndoSiteEdit(const SiteModel& model);
bool canRedoSiteEdit(const SiteModel& model);
// Takes back the last edit (or makes again the last undone one); the surface
// is built again as the edit built it. False when there is none, or when the
// site no longer holds what the edit left (the history is then dropped).
bool undoSiteEdit(SiteModel& model);
bool redoSiteEdit(SiteModel& model);

// The answer to "Save changes to NAME before closing?".
enum class UnsavedChoice { Save, Discard, Cancel };

// Whether the site may be closed or replaced: yes with nothing unsaved or
// after Discard; after Save when Save As wrote the file; never after Cancel.
// `ask` runs only when there is something to lose.
bool mayCloseSite(SiteModel& model, Ui& ui, const std::function<UnsavedChoice()>& ask);

}  // namespace vellacor

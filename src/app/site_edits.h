#pragma once
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
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

// What a saved file can hold of the site's changes, one bit each: the points
// (their elevations, descriptions, Use in Surface and added wall points), the
// breaklines, the surface boundaries, and the drawing changes no file holds
// (a moved limit polygon, a texture, an overlay), which any save of the site
// settles.
enum class SiteChange : unsigned { None = 0, Points = 1, Breaklines = 2, Boundaries = 4, Drawings = 8, Every = 15 };
constexpr SiteChange operator|(SiteChange a, SiteChange b) {
    return static_cast<SiteChange>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
constexpr bool holds(SiteChange set, SiteChange kind) {
    return (static_cast<unsigned>(set) & static_cast<unsigned>(kind)) != 0;
}

// Where one kind of change stood when a file last held it: the history
// position (1 + index) of the last edit of that kind then done, 0 for none;
// nothing once the history no longer reaches that state.
struct SavedKind {
    std::optional<std::size_t> lastEdit = 0;
    bool changedWithoutUndo = false;
};

// The undo and redo stacks and, for each kind of change, whether the site
// differs from what was last opened or saved of it. A new edit empties the
// redo stack.
struct SiteEdits {
    std::vector<SiteEdit> done;
    std::vector<SiteEdit> undone;
    SavedKind points, breaklines, boundaries, drawings;
};

void recordSiteEdit(SiteModel& model, SiteEdit edit);
// A change the history does not take back, that still wants saving.
void markSiteChanged(SiteModel& model, SiteChange kind = SiteChange::Drawings);
// A file now holds these kinds of change as the site has them.
void markSiteSaved(SiteModel& model, SiteChange held = SiteChange::Every);
// The kinds of change no file holds yet.
SiteChange unsavedChanges(const SiteModel& model);
bool hasUnsavedChanges(const SiteModel& model);
// What the question before closing adds about them: "The point edits and
// breaklines are not saved." (empty when everything is saved).
std::string unsavedChangesText(SiteChange unsaved);

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
// after Discard; never after Cancel. Save runs Save As; when the file written
// leaves something unsaved (contours alone, say), the question comes again.
// `ask` runs only when there is something to lose.
bool mayCloseSite(SiteModel& model, Ui& ui, const std::function<UnsavedChoice()>& ask);

}  // namespace vellacor

#include "app/site_edits.h"

#include <set>
#include <string>
#include <type_traits>
#include <utility>

#include "app/breaklines.h"
#include "app/document.h"
#include "app/point_editing.h"
#include "app/site_model.h"

namespace vellacor {

namespace {

bool samePair(const Breakline& k, const Breakline& pair) {
    return (k.a == pair.a && k.b == pair.b) || (k.a == pair.b && k.b == pair.a);
}

// The last listed breakline a-b, either way round; -1 when it is not listed.
int listedBreakline(const SiteDocument& d, const Breakline& pair) {
    for (int i = d.breaklines.count() - 1; i >= 0; --i)
        if (samePair(d.breaklines.pairs[static_cast<std::size_t>(i)], pair)) return i;
    return -1;
}

void showPoint(SiteModel& model, int s, const SurveyPoint& p) {
    changePoint(model, s, p.elevation, std::string(descriptionOf(p)), p.useInSurface);
}

bool undo(SiteModel& model, const PointEdit& e) {
    if (!isPointIndex(model.document, e.point)) return false;
    showPoint(model, e.point, e.before);
    // The point is in the surface again: so are the breaklines it lost, in
    // their order, and those added since (a drawing's lines) come after them.
    if (e.breaklinesBefore) {
        std::vector<Breakline> restored = *e.breaklinesBefore;
        std::set<std::pair<int, int>> listed;
        for (const Breakline& k : restored) listed.insert({k.a, k.b});
        for (const Breakline& k : model.document.breaklines.pairs)
            if (!listed.count({k.a, k.b})) restored.push_back(k);
        model.document.breaklines.pairs = std::move(restored);
    }
    return true;
}

bool redo(SiteModel& model, const PointEdit& e) {
    if (!isPointIndex(model.document, e.point)) return false;
    showPoint(model, e.point, e.after);
    return true;
}

bool undo(SiteModel& model, const WallPointEdit& e) {
    SiteDocument& d = model.document;
    const int last = d.pointCount - 1;
    if (last < 0 || d.points[static_cast<std::size_t>(last)].number != e.wall.number) return false;
    removeLastPoint(model);
    if (d.nextPointNumber == e.wall.number + 1) d.nextPointNumber = e.wall.number;
    return true;
}

bool redo(SiteModel& model, const WallPointEdit& e) {
    if (!isPointIndex(model.document, e.from)) return false;
    placeWallPoint(model, e.from, e.wall);
    return true;
}

bool addPair(SiteModel& model, const Breakline& pair) { return addAndEnforceBreakline(model, pair.a, pair.b); }

bool removePair(SiteModel& model, const Breakline& pair) {
    return removeBreakline(model, listedBreakline(model.document, pair));
}

bool undo(SiteModel& model, const BreaklineEdit& e) {
    return e.added ? removePair(model, e.pair) : addPair(model, e.pair);
}
bool redo(SiteModel& model, const BreaklineEdit& e) {
    return e.added ? addPair(model, e.pair) : removePair(model, e.pair);
}

// Moves the last edit of `from` onto `to` once `apply` has carried it out.
// An edit the site no longer fits empties both stacks: what lies under it
// would not fit either.
template <typename Apply>
bool step(SiteModel& model, std::vector<SiteEdit>& from, std::vector<SiteEdit>& to, Apply apply) {
    if (from.empty()) return false;
    SiteEdit edit = std::move(from.back());
    from.pop_back();
    const bool applied = std::visit([&](const auto& e) { return apply(model, e); }, edit);
    model.renderer.redrawNeeded = true;
    if (!applied) {
        model.edits.done.clear();
        model.edits.undone.clear();
        model.edits.savedDepth.reset();
        return false;
    }
    to.push_back(std::move(edit));
    return true;
}

}  // namespace

void recordSiteEdit(SiteModel& model, SiteEdit edit) {
    SiteEdits& edits = model.edits;
    // The saved state lay in the redo stack just emptied: no undo reaches it now.
    if (edits.savedDepth && *edits.savedDepth > edits.done.size()) edits.savedDepth.reset();
    edits.done.push_back(std::move(edit));
    edits.undone.clear();
}

void markSiteChanged(SiteModel& model) { model.edits.changedWithoutUndo = true; }

void markSiteSaved(SiteModel& model) {
    model.edits.savedDepth = model.edits.done.size();
    model.edits.changedWithoutUndo = false;
}

bool hasUnsavedChanges(const SiteModel& model) {
    const SiteEdits& edits = model.edits;
    return edits.changedWithoutUndo || edits.savedDepth != edits.done.size();
}

bool canUndoSiteEdit(const SiteModel& model) { return !model.edits.done.empty(); }
bool canRedoSiteEdit(const SiteModel& model) { return !model.edits.undone.empty(); }

bool undoSiteEdit(SiteModel& model) {
    return step(model, model.edits.done, model.edits.undone, [](SiteModel& m, const auto& e) { return undo(m, e); });
}

bool redoSiteEdit(SiteModel& model) {
    return step(model, model.edits.undone, model.edits.done, [](SiteModel& m, const auto& e) { return redo(m, e); });
}

bool mayCloseSite(SiteModel& model, Ui& ui, const std::function<UnsavedChoice()>& ask) {
    if (!hasUnsavedChanges(model)) return true;
    switch (ask()) {
        case UnsavedChoice::Discard: return true;
        case UnsavedChoice::Cancel: return false;
        case UnsavedChoice::Save: break;
    }
    if (!saveAsCommand(model, ui)) return false;
    markSiteSaved(model);
    return true;
}

}  // namespace vellacor

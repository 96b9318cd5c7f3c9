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

// The kinds of change an edit makes: a point left out of the surface may take
// breaklines with it, and a wall point brings the breakline of its face.
SiteChange kindsOf(const SiteEdit& edit) {
    if (const auto* e = std::get_if<PointEdit>(&edit))
        return e->breaklinesBefore ? SiteChange::Points | SiteChange::Breaklines : SiteChange::Points;
    if (std::holds_alternative<WallPointEdit>(edit)) return SiteChange::Points | SiteChange::Breaklines;
    return SiteChange::Breaklines;
}

// The history position (1 + index) of the last done edit of a kind; 0 for none.
std::size_t lastEditOf(const SiteEdits& edits, SiteChange kind) {
    for (std::size_t i = edits.done.size(); i > 0; --i)
        if (holds(kindsOf(edits.done[i - 1]), kind)) return i;
    return 0;
}

struct KindState {
    SiteChange kind;
    SavedKind SiteEdits::*saved;
};
constexpr KindState kKinds[] = {{SiteChange::Points, &SiteEdits::points},
                                {SiteChange::Breaklines, &SiteEdits::breaklines},
                                {SiteChange::Boundaries, &SiteEdits::boundaries},
                                {SiteChange::Drawings, &SiteEdits::drawings}};

// An edit that no longer fits the site ends the history: what lies under it
// would not fit either. Every kind an edit of it touched stays unsaved.
void dropHistory(SiteModel& model, SiteChange touched) {
    SiteEdits& edits = model.edits;
    for (const SiteEdit& e : edits.done) touched = touched | kindsOf(e);
    for (const SiteEdit& e : edits.undone) touched = touched | kindsOf(e);
    for (const KindState& k : kKinds) {
        SavedKind& saved = edits.*k.saved;
        if (holds(touched, k.kind)) saved.changedWithoutUndo = true;
        saved.lastEdit = 0;
    }
    edits.done.clear();
    edits.undone.clear();
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
        dropHistory(model, kindsOf(edit));
        return false;
    }
    to.push_back(std::move(edit));
    return true;
}

}  // namespace

void recordSiteEdit(SiteModel& model, SiteEdit edit) {
    SiteEdits& edits = model.edits;
    // A saved state lying in the redo stack just emptied: no undo reaches it now.
    for (const KindState& k : kKinds) {
        SavedKind& saved = edits.*k.saved;
        if (saved.lastEdit && *saved.lastEdit > edits.done.size()) saved.lastEdit.reset();
    }
    edits.done.push_back(std::move(edit));
    edits.undone.clear();
}

void markSiteChanged(SiteModel& model, SiteChange kind) {
    for (const KindState& k : kKinds)
        if (holds(kind, k.kind)) (model.edits.*k.saved).changedWithoutUndo = true;
}

void markSiteSaved(SiteModel& model, SiteChange held) {
    for (const KindState& k : kKinds)
        if (holds(held, k.kind)) model.edits.*k.saved = {lastEditOf(model.edits, k.kind), false};
}

SiteChange unsavedChanges(const SiteModel& model) {
    SiteChange unsaved = SiteChange::None;
    for (const KindState& k : kKinds) {
        const SavedKind& saved = model.edits.*k.saved;
        if (saved.changedWithoutUndo || saved.lastEdit != lastEditOf(model.edits, k.kind))
            unsaved = unsaved | k.kind;
    }
    return unsaved;
}

bool hasUnsavedChanges(const SiteModel& model) { return unsavedChanges(model) != SiteChange::None; }

std::string unsavedChangesText(SiteChange unsaved) {
    static const std::pair<SiteChange, const char*> kNames[] = {{SiteChange::Points, "point edits"},
                                                                {SiteChange::Breaklines, "breaklines"},
                                                                {SiteChange::Boundaries, "boundaries"},
                                                                {SiteChange::Drawings, "drawing changes"}};
    std::vector<std::string> names;
    for (const auto& [kind, name] : kNames)
        if (holds(unsaved, kind)) names.emplace_back(name);
    if (names.empty()) return {};
    std::string text = "The " + names.front();
    for (std::size_t i = 1; i < names.size(); ++i) text += (i + 1 == names.size() ? " and " : ", ") + names[i];
    return text + " are not saved.";
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
    // Save As marks what its file holds; what it leaves out is asked about again.
    if (!saveAsCommand(model, ui)) return false;
    return mayCloseSite(model, ui, ask);
}

}  // namespace vellacor

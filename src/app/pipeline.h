#pragma once
namespace vellacor {

struct SiteModel;
class Ui;

// True when something on screen needs the triangles.
bool surfaceNeeded(const SiteModel& model);

// One step of the background pipeline, run at the start of every frame while
// a document is loaded: adopts finished work and starts what is needed next.
// The window's frames pass `pictureFirst`: a big surface built this step is
// drawn before the stages that work from it start, on the next step.
void runPipeline(SiteModel& model, Ui& ui, bool pictureFirst = false);

// Runs the pipeline until no stage is running and nothing new starts: the
// finished surface the window would show. For the command-line tools and tests.
void runPipelineToCompletion(SiteModel& model, Ui& ui);

// Builds the surface and everything after it to the end, turning the flat
// surface on when nothing shown asks for the triangles (the command line's
// way to a finished surface).
void buildSurfaceToCompletion(SiteModel& model, Ui& ui);

}  // namespace vellacor

#pragma once
namespace vellacor {

struct SiteModel;

// How long the window waits before the next frame, in milliseconds: the
// fly-to paces frames at 30 a second, rain runs as fast as it can, otherwise
// 20 ms in front of other programs and 200 ms behind them.
int idleDelayMs(const SiteModel& model, bool foreground);

}  // namespace vellacor

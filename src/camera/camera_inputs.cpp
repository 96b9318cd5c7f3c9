#include "camera/camera_inputs.h"

namespace vellacor {

SiteFrame siteFrameOf(const SiteDocument& document) { return {document.siteCentre, document.siteSize}; }

CameraInputs cameraInputsOf(const SiteDocument& document) {
    CameraInputs in;
    in.surface = surfaceOf(document);
    in.surfaceLinked = document.contourStage.done;
    in.pointFileFormat = document.pointFileFormat;
    in.site = siteFrameOf(document);
    return in;
}

}  // namespace vellacor

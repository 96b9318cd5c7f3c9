#pragma once
#include <cstdint>
#include <optional>

namespace vellacor {

// How the surface is drawn; the command line's --surface-mode takes the number.
enum class SurfaceMode : std::uint8_t {
    Off = 0,            // no surface, only the layers over it
    Flat = 1,           // one lit colour per triangle
    Smooth = 2,         // colours blended from lit vertex normals (needs the shading stage)
    NormalTexture = 3,  // the texture indexed by the vertex normal as the camera sees it
                        // (needs the shading stage and a texture)
    SwirlTexture = 4,   // the image behind the scene, swirled over the surface (needs a texture)
    ImageOnly = 5,      // the image behind the scene and nothing over it (needs a texture)
    Water = 6,          // the surface recolours what is behind it, like water
    Elevation = 7,      // colours by elevation (the rainbow palette's mode)
    CutFill = 8,        // colours by the difference from a comparison surface or datum
                        // (shades given by the caller, in the cut/fill palette)
};

inline constexpr int kSurfaceModeCount = 9;

// The mode numbered `value` (0..8), nothing for any other number.
constexpr std::optional<SurfaceMode> surfaceModeFromInt(long long value) {
    if (value < 0 || value >= kSurfaceModeCount) return std::nullopt;
    return static_cast<SurfaceMode>(value);
}

// Smooth and normal-textured surfaces need the vertex normals of the shading stage.
constexpr bool needsVertexNormals(SurfaceMode m) { return m == SurfaceMode::Smooth || m == SurfaceMode::NormalTexture; }

// The surface modes that show the texture image and so the texture's palette.
constexpr bool showsTexturePicture(SurfaceMode m) {
    return m == SurfaceMode::NormalTexture || m == SurfaceMode::SwirlTexture || m == SurfaceMode::ImageOnly;
}

// How a polygon's pixels are written. Every mode except Water tests depth
// with "w <= stored" (equal passes).
enum class FillMode : std::uint8_t {
    Flat,           // the polygon's colour, depth written
    Gouraud,        // colour = the interpolated shade, depth written
    TextureSphere,  // textured, depth written
    TextureImage,   // textured, depth written
    Nothing,        // no pixels
    Water,          // recolours what is there
    Elevation,      // as Gouraud
    FlatNoDepth,    // the polygon's colour, depth not written
};

// The fill each surface mode draws its triangles with.
constexpr FillMode fillModeFor(SurfaceMode m) {
    switch (m) {
        case SurfaceMode::Flat: return FillMode::Flat;
        case SurfaceMode::Smooth: return FillMode::Gouraud;
        case SurfaceMode::NormalTexture: return FillMode::TextureSphere;
        case SurfaceMode::SwirlTexture: return FillMode::TextureImage;
        case SurfaceMode::Water: return FillMode::Water;
        case SurfaceMode::Elevation:
        case SurfaceMode::CutFill: return FillMode::Elevation;
        case SurfaceMode::Off:
        case SurfaceMode::ImageOnly: return FillMode::Nothing;
    }
    return FillMode::Nothing;
}

}  // namespace vellacor

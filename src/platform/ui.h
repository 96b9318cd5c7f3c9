#pragma once
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace vellacor {

enum class MessageKind { Information, Warning, Error, Question, Help };
enum class Answer { Ok, Yes, No, Cancel };

// "Select File Format": the tag is exchanged as text and starts as "PNEZD".
struct SelectFormatDialog {
    std::string format = "PNEZD";
};

// "Point Classes": which classes of a LiDAR point cloud become the site. It
// lists the classes the file holds with their points, withheld points
// (marked in the file to be left out of use) counted apart; `chosen` starts
// as the ground class when the file has any ground point, otherwise every
// class it holds. Withheld points are left out unless `keepWithheld`.
struct PointClassesDialog {
    struct Entry {
        int code = 0;
        std::string name;
        std::uint64_t count = 0;     // points of the class in the file, the withheld ones apart
        std::uint64_t withheld = 0;  // withheld points of the class
    };
    std::vector<Entry> classes;
    std::vector<int> chosen;
    std::uint64_t withheld = 0;  // the file's withheld points
    bool keepWithheld = false;
    // Thinning: one point (the lowest) kept in each square of this side, in
    // the site's metres; 0 keeps every point.
    double thinCell = 0;
};

// The files a site is saved as: the drawings of Save As, in the order of the
// Saving dialog's buttons, then the point text of Save Points (no button).
enum class ExportFormat { Dxf, LandXml, GeoPackage, GeoJson, Shapefile, GeoTiff, Points };

// "Saving": the format and the four "Include:" boxes.
struct SavingDialog {
    ExportFormat format = ExportFormat::Dxf;
    bool points = false;
    bool contours = false;
    bool breaklines = false;
    bool surface = false;
};

// "Smooth Shading": the grade-break angle in degrees.
struct SmoothShadingDialog {
    double angle = 0.0;
};

// "Contour Options": the interval (0.01 to 999999999.0) and "Limit Contours
// to polygon area".
struct ContourOptionsDialog {
    double interval = 1.0;
    bool limitToPolygon = false;
};

// "Edit Point": the point as shown; only elevation, description and Use in
// Surface are taken back.
struct EditPointDialog {
    int number = 0;
    double northing = 0.0;
    double easting = 0.0;
    double elevation = 0.0;
    std::string description;
    bool useInSurface = true;
};

// "Add Wall Point": the change in elevation from the selected point.
struct AddWallPointDialog {
    double change = 0.0;
};

// "Aligning CAD image with Surface": "Survey Point Number?".
struct AligningDialog {
    int pointNumber = 0;
};

// "Coordinate System": the system of the site's coordinates, "EPSG:n" or WKT
// text; shows the one the site has (empty when unknown).
struct CoordinateSystemDialog {
    std::string definition;
};

// "DEM Cell Size": the side of a cell of the elevation model Save As writes,
// in the site's units; shows the default.
struct DemCellDialog {
    double cellSize = 1.0;
};

// Colour as a Windows COLORREF: 0x00BBGGRR.
using ColorRef = unsigned int;

enum class TextAlign { Left, Centre, Right };

// Text over the finished frame, in frame-buffer pixels.
class TextPainter {
public:
    virtual ~TextPainter() = default;
    virtual void text(int x, int y, const std::string& s, ColorRef colour, TextAlign align = TextAlign::Left,
                      int fontHeight = 0, bool opaque = false, ColorRef background = 0) = 0;
    virtual int lineHeight(int fontHeight = 0) const = 0;
    virtual int averageCharWidth(int fontHeight = 0) const = 0;
};

// Everything the program asks of the window system. The Qt shell implements
// it; tests use a scripted fake. Key codes are Windows virtual-key codes.
class Ui {
public:
    virtual ~Ui() = default;

    virtual Answer message(const std::string& text, MessageKind kind = MessageKind::Warning) = 0;

    // Dialogs return false when the user cancels.
    virtual bool run(SelectFormatDialog& dialog) = 0;
    virtual bool run(SavingDialog& dialog) = 0;
    virtual bool run(SmoothShadingDialog& dialog) = 0;
    virtual bool run(ContourOptionsDialog& dialog) = 0;
    virtual bool run(EditPointDialog& dialog) = 0;
    virtual bool run(AddWallPointDialog& dialog) = 0;
    virtual bool run(AligningDialog& dialog) = 0;
    // A front end that cannot ask keeps the site's system.
    virtual bool run(CoordinateSystemDialog& dialog) {
        (void)dialog;
        return false;
    }
    virtual bool run(DemCellDialog& dialog) {
        (void)dialog;
        return false;
    }
    // A front end that cannot ask keeps what the dialog holds.
    virtual bool run(PointClassesDialog& dialog) {
        (void)dialog;
        return false;
    }

    // Filters in the "Name (*.a)|*.a|All Files (*.*)|*.*||" form.
    virtual std::optional<std::string> chooseOpenFile(const std::string& filter) = 0;
    virtual std::optional<std::string> chooseSaveFile(const std::string& defaultExt, const std::string& filter,
                                                      const std::string& defaultName) = 0;

    virtual bool keyDown(int virtualKey) const = 0;
    virtual bool isForeground() const = 0;
    virtual bool isMinimised() const = 0;
    virtual void setWaitCursor(bool on) = 0;
    // Puts the mouse cursor over frame-buffer pixel (x, y) of the view; a
    // front end without a pointer ignores it.
    virtual void moveCursorToPixel(int x, int y) {
        (void)x;
        (void)y;
    }

    // Shows, until endProgress, how far work the user waits for has got (0 to
    // 1) under `text`; false once the user gives up waiting. A front end
    // without a window shows nothing and waits to the end.
    virtual bool showProgress(const std::string& text, double fraction) {
        (void)text;
        (void)fraction;
        return true;
    }
    virtual void endProgress() {}

    // Ends the process; a test fake throws instead.
    [[noreturn]] virtual void terminate(int exitCode) = 0;
};

// Shows the message and ends the program with exit code 1.
[[noreturn]] inline void fatalError(Ui& ui, const std::string& text) {
    ui.message(text, MessageKind::Error);
    ui.terminate(1);
    std::abort();  // terminate never returns; this tells the compiler so
}

}  // namespace vellacor

// Faces a file lists twice, or lists without plan area, are taken out of it
// once; what stays keeps its order and its turn.
#include <gtest/gtest.h>

#include <vector>

#include "surface/repeated_faces.h"

namespace vellacor {
namespace {

SurveyPoint at(double e, double n) {
    SurveyPoint p;
    p.easting = e;
    p.northing = n;
    return p;
}

TinTriangle face(int a, int b, int c) {
    TinTriangle t;
    t.vertex[0] = a, t.vertex[1] = b, t.vertex[2] = c;
    return t;
}

//  3 ----- 2
//  |     / |      4 on the line 0-2, 5 on top of 1
//  |  4    |
//  | /     |
//  0 ----- 1 5
TEST(RepeatedFaces, TheFirstOfEachFaceStaysAndFacesWithoutAreaGo) {
    const std::vector<SurveyPoint> points{at(0, 0), at(10, 0), at(10, 10), at(0, 10), at(5, 5), at(10, 0)};
    std::vector<TinTriangle> faces{
        face(0, 1, 2),  // kept
        face(0, 2, 3),  // kept
        face(2, 1, 0),  // the first again, turned the other way
        face(3, 0, 2),  // the second again, its corners rotated
        face(0, 0, 3),  // two equal corners
        face(0, 4, 2),  // on one line
        face(1, 5, 2),  // two corners at one place
        face(0, 1, 2),  // the first a third time
    };
    EXPECT_EQ(dropRepeatedAndEmptyFaces(points, faces), 6u);
    ASSERT_EQ(faces.size(), 2u);
    EXPECT_EQ(faces[0].vertex[1], 1);
    EXPECT_EQ(faces[1].vertex[2], 3);

    // A surface without such faces is left as it is.
    std::vector<TinTriangle> clean{face(0, 1, 2), face(2, 3, 0)};
    EXPECT_EQ(dropRepeatedAndEmptyFaces(points, clean), 0u);
    EXPECT_EQ(clean.size(), 2u);
}

}  // namespace
}  // namespace vellacor

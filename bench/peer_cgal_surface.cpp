// What a short program written with CGAL does for `vellacor-cli info --surface`:
// read an XYZ text file with iostreams and triangulate it in plan. It is the
// peer bench/whole_runs.sh times beside the program; it uses none of the
// program's code.
//
// usage: peer_cgal_surface FILE.xyz   (three numbers a line, spaces or commas)
#include <CGAL/Delaunay_triangulation_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Projection_traits_xy_3.h>

#include <cstdio>
#include <fstream>
#include <locale>
#include <vector>

using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using Traits = CGAL::Projection_traits_xy_3<Kernel>;
using Triangulation = CGAL::Delaunay_triangulation_2<Traits>;

// Reads commas as white space, so "x,y,z" and "x y z" lines both parse with >>.
struct CommaIsSpace : std::ctype<char> {
    CommaIsSpace() : std::ctype<char>(table()) {}
    static const mask* table() {
        static std::vector<mask> t(classic_table(), classic_table() + table_size);
        t[','] = space;
        return t.data();
    }
};

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: peer_cgal_surface FILE.xyz\n");
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    in.imbue(std::locale(in.getloc(), new CommaIsSpace));
    std::vector<Kernel::Point_3> points;
    double x, y, z;
    while (in >> x >> y >> z) points.emplace_back(x, y, z);
    // The range insert sorts the points along a space-filling curve first.
    Triangulation triangulation;
    triangulation.insert(points.begin(), points.end());
    std::printf("points: %zu\nvertices: %zu\ntriangles: %zu\n", points.size(),
                static_cast<std::size_t>(triangulation.number_of_vertices()),
                static_cast<std::size_t>(triangulation.number_of_faces()));
    return 0;
}

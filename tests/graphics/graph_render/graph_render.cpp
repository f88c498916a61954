// graph_render BODY OUT [WIDTH HEIGHT [FLAGS]]: draws a graph body into
// OUT.log (recording DC), OUT.svg and OUT.png.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "render.h"

namespace {

bool WriteFile(const std::string& path, const std::string& data)
{
    std::ofstream f(path, std::ios::binary);
    f << data;
    return (bool)f;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 5 && argc != 6) {
        std::fprintf(stderr, "usage: graph_render BODY OUT [WIDTH HEIGHT [FLAGS]]\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "graph_render: cannot read %s\n", argv[1]);
        return 1;
    }
    std::stringstream bytes;
    bytes << in.rdbuf();
    const int width = argc >= 5 ? std::atoi(argv[3]) : 400, height = argc >= 5 ? std::atoi(argv[4]) : 300;
    const int flags = argc == 6 ? std::atoi(argv[5]) : 0;
    CGraph graph;
    CRenderedGraph out;
    std::string error;
    if (!ReadGraphBody(bytes.str(), graph, error) || !RenderGraph(graph, width, height, flags, out, error)) {
        std::fprintf(stderr, "graph_render: %s: %s\n", argv[1], error.c_str());
        return 1;
    }
    const std::string base = argv[2];
    if (!WriteFile(base + ".log", out.log) || !WriteFile(base + ".svg", out.svg) || !WriteFile(base + ".png", out.png)) {
        std::fprintf(stderr, "graph_render: cannot write %s.*\n", argv[2]);
        return 1;
    }
    return 0;
}

#pragma once
// A graph body (the stream form of a graph) drawn three ways: onto the
// recording DC (a log with the fixed text metric), and into a metafile
// exported as SVG and PNG (the real fonts).
#include <string>

#include "graphics/graph.h"

struct CRenderedGraph {
    std::string log;
    std::string svg;
    std::string png;
    bool drawn = false;
};

// Reads the body into graph; false with a message when it is damaged.
bool ReadGraphBody(const std::string& bytes, CGraph& graph, std::string& error);
// Lays the graph out in (0, 0, width, height) and draws it with flags.
// A pointer that sits on one of its object's points marks it (white label).
bool RenderGraph(CGraph& graph, int width, int height, int flags, CRenderedGraph& out, std::string& error);

#pragma once
// The file source of the player's graph: a GStreamer source element that reads a PartStream,
// so the demultiplexer sees the stream bytes of all parts as one file and never the header
// copy behind them. It answers the stream's length and random reads, so the demultiplexer
// reads it the way it reads a plain file (durations, seeking).

#include <gst/gst.h>

#include <memory>

#include "velkport/recordings/playback/PartStream.h"

namespace velkport::recordings::playback {

// Registers the element type once (thread-safe); its factory name is kPartStreamSourceName.
inline constexpr const char* kPartStreamSourceName = "velkpartsrc";
void RegisterPartStreamSource();

// Makes a source element that reads the stream and offers it with the given caps.
GstElement* MakePartStreamSource(std::shared_ptr<const PartStream> stream, GstCaps* caps);

}  // namespace velkport::recordings::playback

// Characters a chosen font lacks (a currency sign missing from the CJK faces) drawn in a face
// that has them: fontconfig's best match for the same family, weight and slant among the
// fonts holding the character.
#pragma once
#include <cairo.h>

#include <string>
#include <utility>
#include <vector>

namespace zel::report {

// A piece of one line and the face to draw it in; null face: the context's current face.
using FaceRun = std::pair<std::string, cairo_font_face_t*>;

// The line cut into runs where the context's current font lacks characters that another
// face has; empty when the current font has them all (the common case, decided without
// shaping for plain ASCII). The faces stay valid for the life of the thread.
std::vector<FaceRun> fallbackRuns(cairo_t* cr, const std::string& family, bool bold, bool italic,
                                  const std::string& utf8);

}  // namespace zel::report

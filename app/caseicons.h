// The pictures of the case tree: the root, a class, a male and a female
// case. They are drawn here rather than shipped, so every skin gets them.
#pragma once

#include <QIcon>

namespace lumtar {

// The image index of a tree node, as the tree's levels use them.
enum CaseImage : int {
  kImageFemale = 0,  // a case of a woman
  kImageMale = 1,    // a case of a man
  kImageClass = 2,   // a class (类别)
  kImageRoot = 3,    // the root "命例"
};

// The picture of an image index (an index out of range gives the root's).
// Made once and shared.
const QIcon& CaseIcon(int imageIndex);

}  // namespace lumtar

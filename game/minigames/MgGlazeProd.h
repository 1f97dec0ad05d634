// The product being glazed in Glaze Selection: its picture, a stage picture over it for each
// stage whose glazes are applied, and the list of required glazes with the applied ones ticked.
#pragma once

#include "widgets/Widget.h"

#include <map>

namespace Quor {

class Image;
class MgGlaze;

class MgGlazeProd : public Widget {
public:
    explicit MgGlazeProd(MgGlaze* game);

    // Marks a required glaze not applied yet; the last one finishes the product. False for any
    // other glaze.
    bool ApplyGlaze(int glaze);
    void ClearGlazes();
    bool AllApplied() const;
    void Draw(Graphics* g) override;

    MgGlaze* mGame;  // not owned
    std::map<int, Image*> mStages;  // stage 1-3 -> picture; not owned
    Image* mBackground = nullptr;   // not owned
    std::map<int, bool> mApplied;   // required glaze -> applied
};

} // namespace Quor

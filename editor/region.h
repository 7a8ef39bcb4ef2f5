#pragma once

#include "editor/records.h"

// An area of the editor as boxes that do not overlap, so that nothing in it
// is drawn or copied twice. Boxes without pixels are left out. When a box
// would need more pieces than there is room for, the region becomes one
// box around all of it: a region never holds less than was added.
class IRegion {
public:
    static constexpr int kCapacity = 32;

    IRegion() = default;
    explicit IRegion(const IBox& box) { Add(box); }

    // Adds the part of box the region does not hold yet.
    void Add(const IBox& box);
    void Add(const IRegion& other);
    void Clear() { count = 0; }

    bool Empty() const { return count == 0; }
    int Count() const { return count; }
    const IBox* begin() const { return pieces; }
    const IBox* end() const { return pieces + count; }
    // The smallest box around every piece; the empty box for none.
    IBox Bounds() const;
    // Whether a piece intersects box by the rules of IBox::Intersects.
    bool Intersects(const IBox& box) const;
    // The pieces clipped to box.
    IRegion ClippedTo(const IBox& box) const;

private:
    void Collapse(const IBox& box);

    IBox pieces[kCapacity];
    int count = 0;
};

// Whether the box holds at least one pixel.
inline bool HasPixels(const IBox& box)
{
    return box.left < box.right && box.top < box.bottom;
}

// Whether outer holds every pixel of inner.
inline bool Covers(const IBox& outer, const IBox& inner)
{
    return outer.left <= inner.left && inner.right <= outer.right && outer.top <= inner.top &&
           inner.bottom <= outer.bottom;
}

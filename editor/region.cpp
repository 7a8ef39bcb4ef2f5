#include "editor/region.h"

namespace {

bool Overlap(const IBox& a, const IBox& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// A few boxes kept while a new box is cut around the pieces it overlaps.
struct Fragments {
    IBox boxes[IRegion::kCapacity];
    int count = 0;

    // False when there is no room left.
    bool Push(const IBox& box)
    {
        if (!HasPixels(box)) return true;
        if (count == IRegion::kCapacity) return false;
        boxes[count++] = box;
        return true;
    }
    // The parts of box outside cut, which it overlaps: a band above, a band
    // below and the two sides between them.
    bool PushOutside(const IBox& box, const IBox& cut)
    {
        const int top = box.top > cut.top ? box.top : cut.top;
        const int bottom = box.bottom < cut.bottom ? box.bottom : cut.bottom;
        return Push({box.left, box.top, box.right, top}) &&
               Push({box.left, bottom, box.right, box.bottom}) &&
               Push({box.left, top, cut.left, bottom}) && Push({cut.right, top, box.right, bottom});
    }
};

}  // namespace

void IRegion::Add(const IBox& box)
{
    if (!HasPixels(box)) return;
    Fragments outside;
    outside.Push(box);
    for (int i = 0; i < count && outside.count > 0; ++i) {
        Fragments next;
        for (int k = 0; k < outside.count; ++k) {
            const IBox& fragment = outside.boxes[k];
            const bool kept = Overlap(fragment, pieces[i]) ? next.PushOutside(fragment, pieces[i])
                                                           : next.Push(fragment);
            if (!kept) return Collapse(box);
        }
        outside = next;
    }
    if (count + outside.count > kCapacity) return Collapse(box);
    for (int k = 0; k < outside.count; ++k) pieces[count++] = outside.boxes[k];
}

void IRegion::Add(const IRegion& other)
{
    for (const IBox& box : other) Add(box);
}

void IRegion::Collapse(const IBox& box)
{
    pieces[0] = Bounds().Union(box);
    count = 1;
}

IBox IRegion::Bounds() const
{
    IBox bounds;
    for (const IBox& box : *this) bounds = bounds.Union(box);
    return bounds;
}

bool IRegion::Intersects(const IBox& box) const
{
    for (const IBox& piece : *this)
        if (piece.Intersects(box)) return true;
    return false;
}

IRegion IRegion::ClippedTo(const IBox& box) const
{
    IRegion clipped;
    for (const IBox& piece : *this) clipped.Add(piece.Intersection(box));
    return clipped;
}

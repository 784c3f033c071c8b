#pragma once
// The one place a shape name is looked up. Each shape is one entry: what it draws, the surface
// it sends to a triangle sink (which the view, the exporters, fitting and picking all use), the
// box that holds that surface, and the URDF collision primitive it is exactly, if any. The
// drawing object, the exporters and the view's fitting and picking ask the catalogue instead
// of comparing names, so a new shape is one Register call in RegisterBuiltInShapes.
//
// Every entry works from the part's full sizes (elements 1 to 3 of its size array, model units);
// what each value means for the shape (a diameter, a half extent, a spacing) is the entry's own
// rule. Sizes that are not finite numbers never reach an entry's surface, bounds or primitive:
// those queries fail first with an overflow error.

#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "shapes/BoundedArray.h"
#include "shapes/MeshSink.h"
#include "shapes/PrimoraApi.h"
#include "shapes/TriangleSink.h"

namespace primora {

class clsShapes;

// A part's full sizes along its X, Y and Z axes, model units.
struct ShapeSize {
    double X = 0, Y = 0, Z = 0;
};

// An axis-aligned box in the shape's own frame, model units.
struct ShapeBox {
    MeshPoint Min, Max;
};

// The collision primitives URDF knows, centred on the shape's origin, in full extents (model
// units, never negative) as part sizes are given.
struct BoxPrimitive {
    double X = 0, Y = 0, Z = 0;
};
struct CylinderPrimitive {  // along Z
    double Diameter = 0, Length = 0;
};
struct SpherePrimitive {
    double Diameter = 0;
};
using CollisionPrimitive = std::variant<BoxPrimitive, CylinderPrimitive, SpherePrimitive>;

// One shape of the catalogue. Name and at least one of Surface and DrawInPlace are required;
// every other member may stay empty.
struct ShapeEntry {
    // As names are matched: lower case, no blanks at either end.
    std::string Name;
    // The shape's surface, centred on its frame's origin. Empty for a shape that is not a part's
    // surface (the floor grid): the exporters, fitting and picking then leave it out.
    std::function<void(const ShapeSize&, TriangleSink&)> Surface{};
    // A box holding every vertex Surface emits for these sizes. Empty: the box of the surface as
    // emitted, which is exact but costs a full emission.
    std::function<ShapeBox(const ShapeSize&)> Bounds{};
    // The primitive the surface is, for these sizes; nullopt (or empty) when only its mesh
    // describes it.
    std::function<std::optional<CollisionPrimitive>(const ShapeSize&)> Primitive{};
    // Drawing in place of the surface, at the current GL transform, for a shape the view shows
    // with more than triangles (rods and labels); it checks its own sizes. Empty: the view draws
    // Surface.
    std::function<void(const clsShapes&, const ShapeSize&)> DrawInPlace{};
};

// Shapes named by a prefix and a rest kept as written, such as a mesh file's path: the family
// gives the entry for a rest (never null; it lives as long as the family).
using ShapeFamily = std::function<const ShapeEntry*(const std::string& rest)>;

class PRIMORA_API ShapeRegistry {
  public:
    // Adds a shape after those already registered. A name that is empty, not as names are
    // matched or already registered, or an entry with nothing to draw, is a programming error
    // (std::invalid_argument).
    void Register(ShapeEntry entry);
    // Adds a family of shapes whose names start with prefix (lower case, not empty), matched
    // lower-cased after blanks at the start; the rest of the name, trimmed of blanks, goes to
    // the family as written.
    void RegisterFamily(std::string prefix, ShapeFamily family);
    // The shape a part names (matched lower-cased and trimmed of blanks, a family's rest as
    // written), or null.
    const ShapeEntry* Find(const std::string& name) const;
    // Every name, comma-separated, in registration order; families are not listed.
    std::string Names() const;
    const std::vector<ShapeEntry>& Entries() const noexcept { return entries_; }

  private:
    struct Family {
        std::string Prefix;
        ShapeFamily Resolve;
    };
    std::vector<ShapeEntry> entries_;
    std::vector<Family> families_;
};

// Registers the built-in shapes, in the order the catalogue offers them.
PRIMORA_API void RegisterBuiltInShapes(ShapeRegistry& registry);

// The catalogue every part is drawn, exported, fitted and picked with: the built-in shapes and
// the mesh family ("mesh:PATH", see MeshShape.h), made once on first use and never changed
// afterwards.
PRIMORA_API const ShapeRegistry& ShapeCatalogue();

// A shape name as the catalogue matches it: lower-cased, blanks trimmed at both ends.
PRIMORA_API std::string NormalisedShapeName(const std::string& name);

// The three sizes a shape reads: elements 1 to 3 (a subscript error when one is missing).
PRIMORA_API ShapeSize ReadShapeSize(const DoubleArray& fullSize);

// The shape's surface into sink. False, with nothing emitted, for a shape without one. Sizes
// that are not finite numbers fail with an overflow error before anything is emitted.
PRIMORA_API bool EmitSurface(const ShapeEntry& shape, const ShapeSize& size, TriangleSink& sink);
// The box holding the shape's surface; nullopt for a shape without one. Sizes as EmitSurface.
PRIMORA_API std::optional<ShapeBox> SurfaceBounds(const ShapeEntry& shape, const ShapeSize& size);
// The collision primitive the shape is for these sizes, if any. Sizes as EmitSurface.
PRIMORA_API std::optional<CollisionPrimitive> CollisionPrimitiveOf(const ShapeEntry& shape,
                                                                   const ShapeSize& size);

// The surface of the named shape from its full sizes (indices 1 to 3, read first whatever the
// name), as SelectShape draws it. False, with nothing emitted, for a shape without a surface
// (the grid) and for names the catalogue does not know.
PRIMORA_API bool EmitShapeSurface(const std::string& name, const DoubleArray& fullSize,
                                  TriangleSink& sink);

}  // namespace primora

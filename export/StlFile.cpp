#include "export/StlFile.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "export/FiniteOutput.h"
#include "model/Error.h"

namespace mechanon {
namespace {

static_assert(std::endian::native == std::endian::little, "STL is written little-endian");

constexpr std::size_t kHeaderBytes = 80;
constexpr std::size_t kTriangleBytes = 50;

void PutFloat(std::string& out, double value) {
    const auto f = static_cast<float>(Writable(value, true, "a coordinate of a triangle"));
    char bytes[4];
    std::memcpy(bytes, &f, 4);
    out.append(bytes, 4);
}

void PutPoint(std::string& out, const torvane::typ3Point& p) {
    PutFloat(out, p.X);
    PutFloat(out, p.Y);
    PutFloat(out, p.Z);
}

torvane::typ3Point UnitNormal(const MeshTriangle& t) {
    const double ux = t[1].X - t[0].X, uy = t[1].Y - t[0].Y, uz = t[1].Z - t[0].Z;
    const double vx = t[2].X - t[0].X, vy = t[2].Y - t[0].Y, vz = t[2].Z - t[0].Z;
    const torvane::typ3Point n{uy * vz - uz * vy, uz * vx - ux * vz, ux * vy - uy * vx};
    const double length = std::sqrt(n.X * n.X + n.Y * n.Y + n.Z * n.Z);
    if (length == 0) return {};
    return {n.X / length, n.Y / length, n.Z / length};
}

float GetFloat(const std::string& bytes, std::size_t at) {
    float f = 0;
    std::memcpy(&f, bytes.data() + at, 4);
    return f;
}

}  // namespace

std::string BinaryStl(const std::vector<MeshTriangle>& triangles, const std::string& header) {
    std::string out = header.substr(0, kHeaderBytes);
    out.resize(kHeaderBytes, ' ');
    const auto count = static_cast<std::uint32_t>(triangles.size());
    char countBytes[4];
    std::memcpy(countBytes, &count, 4);
    out.append(countBytes, 4);
    out.reserve(out.size() + triangles.size() * kTriangleBytes);
    for (const MeshTriangle& t : triangles) {
        PutPoint(out, UnitNormal(t));
        for (const auto& corner : t) PutPoint(out, corner);
        out.append(2, '\0');
    }
    return out;
}

std::vector<MeshTriangle> ReadBinaryStl(const std::string& bytes) {
    if (bytes.size() < kHeaderBytes + 4)
        torvane::Raise(torvane::ErrorCode::FileFormat, "too short for a binary STL");
    std::uint32_t count = 0;
    std::memcpy(&count, bytes.data() + kHeaderBytes, 4);
    if (bytes.size() != kHeaderBytes + 4 + std::size_t{count} * kTriangleBytes)
        torvane::Raise(torvane::ErrorCode::FileFormat,
                       "the triangle count does not match the length of the STL");
    std::vector<MeshTriangle> out(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = kHeaderBytes + 4 + i * kTriangleBytes + 12;
        for (std::size_t c = 0; c < 3; ++c)
            out[i][c] = {GetFloat(bytes, at + c * 12), GetFloat(bytes, at + c * 12 + 4),
                         GetFloat(bytes, at + c * 12 + 8)};
    }
    return out;
}

}  // namespace mechanon

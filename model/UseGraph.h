#pragma once
// The graph of uses of a robot and the one depth-first walk over it from which every rule about
// the graph is read: whether a room reaches another, how many occurrences and levels a room's
// tree has when every use is expanded, and where a cycle of uses closes. The part rooms, the
// room collection and the robot file's checks all ask this walk; none walks the graph itself.
//
// Rooms are nodes 0..Size()-1. Each node lists the nodes its subparts use, in list order and
// with repetition; kNoRoom stands for a subpart that uses no room, so that the position of a use
// is the position of its subpart (minus one). The walk needs no recursion, so a chain of many
// thousands of rooms cannot exhaust the stack, and it finishes every node once: its cost is in
// proportion to rooms plus subparts, not to occurrences.

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "model/ModelLimits.h"

namespace torvane {

class clsPartRoom;

class UseGraph {
  public:
    using Node = std::int32_t;
    static constexpr Node kNoRoom = -1;
    // Occurrence counts saturate here, just above the limit, so that no sum or product of them
    // can overflow and every count above the limit reads as "too many".
    static constexpr std::uint64_t kTooMany = kMaxExpandedPartOccurrences + 1;

    // uses[n] lists the nodes node n uses; every entry is kNoRoom or a node of the graph.
    explicit UseGraph(std::vector<std::vector<Node>> uses);
    // The rooms reachable from roots through subparts: roots are nodes 0..roots.size() - 1 in
    // the order given, every other room reached is numbered as it is first met.
    static UseGraph OfRooms(const std::vector<const clsPartRoom*>& roots);

    std::size_t Size() const noexcept { return uses_.size(); }
    const std::vector<Node>& Uses(Node n) const { return uses_[static_cast<std::size_t>(n)]; }
    // For graphs made by OfRooms: the room of node n, and the node of room (none when the roots
    // do not reach it).
    const clsPartRoom* Room(Node n) const { return rooms_[static_cast<std::size_t>(n)]; }
    std::optional<Node> Find(const clsPartRoom& room) const;

    // A cycle of uses: path runs from the node met again to the node whose use closes the
    // cycle; that use stands at position closingUse (from 0) of Uses(path.back()).
    struct Cycle {
        std::vector<Node> path;
        std::size_t closingUse = 0;
    };
    struct Measure {
        // Per node: the occurrences of its tree with every use expanded, itself counted once
        // (saturating at kTooMany), and its depth in levels (the room alone is 1).
        std::vector<std::uint64_t> occurrences;
        std::vector<std::int32_t> depth;
        // The nodes in the order they were finished: every node after all the nodes it uses.
        std::vector<Node> finished;
        // The saturating sum of occurrences over every node.
        std::uint64_t total = 0;
        // The first cycle met, starting from node 0 and following uses in list order; when there
        // is one, nothing else of the measure is filled.
        std::optional<Cycle> cycle;
    };
    // Walks from every node in turn, 0 first.
    Measure Walk() const;

    // For an acyclic graph and its measure: per node, how often it occurs in the trees of the
    // nodes weighted in roots (roots[n] trees of node n), saturating at kTooMany.
    std::vector<std::uint64_t> Inclusions(const Measure& measure,
                                          const std::vector<std::uint64_t>& roots) const;

    // For an acyclic graph and its measure: per node, whether its tree holds a node marked in
    // marks (the node itself included).
    std::vector<char> TreesHolding(const Measure& measure, std::vector<char> marks) const;

    // a + b and a * b, saturating at kTooMany.
    static std::uint64_t Add(std::uint64_t a, std::uint64_t b);
    static std::uint64_t Times(std::uint64_t a, std::uint64_t b);

  private:
    std::vector<std::vector<Node>> uses_;
    std::vector<const clsPartRoom*> rooms_;
    std::unordered_map<const clsPartRoom*, Node> nodeOf_;
};

}  // namespace torvane

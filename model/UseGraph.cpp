#include "model/UseGraph.h"

#include <algorithm>
#include <utility>

#include "model/clsPartRoom.h"

namespace torvane {

UseGraph::UseGraph(std::vector<std::vector<Node>> uses)
    : uses_(std::move(uses)), rooms_(uses_.size(), nullptr) {}

UseGraph UseGraph::OfRooms(const std::vector<const clsPartRoom*>& roots) {
    UseGraph graph({});
    const auto nodeFor = [&graph](const clsPartRoom* room) {
        const auto [it, fresh] = graph.nodeOf_.try_emplace(room, static_cast<Node>(graph.Size()));
        if (fresh) {
            graph.rooms_.push_back(room);
            graph.uses_.emplace_back();
        }
        return it->second;
    };
    graph.nodeOf_.reserve(roots.size());
    for (const clsPartRoom* root : roots) nodeFor(root);
    // Nodes are numbered as met, so every node below the next one to fill is filled already.
    for (std::size_t n = 0; n < graph.Size(); ++n) {
        const clsPartRoom& room = *graph.rooms_[n];
        std::vector<Node> uses;
        uses.reserve(static_cast<std::size_t>(room.SubParts.Count()));
        for (const auto& sub : room.SubParts)
            uses.push_back(sub->Part ? nodeFor(sub->Part.get()) : kNoRoom);
        graph.uses_[n] = std::move(uses);
    }
    return graph;
}

std::optional<UseGraph::Node> UseGraph::Find(const clsPartRoom& room) const {
    const auto it = nodeOf_.find(&room);
    if (it == nodeOf_.end()) return std::nullopt;
    return it->second;
}

std::uint64_t UseGraph::Add(std::uint64_t a, std::uint64_t b) {
    return std::min(kTooMany, a + b);
}

std::uint64_t UseGraph::Times(std::uint64_t a, std::uint64_t b) {
    if (a == 0 || b == 0) return 0;
    return a > kTooMany / b ? kTooMany : std::min(kTooMany, a * b);
}

UseGraph::Measure UseGraph::Walk() const {
    enum class Mark : unsigned char { New, OnPath, Done };
    const std::size_t n = Size();
    std::vector<Mark> mark(n, Mark::New);
    Measure m;
    m.occurrences.assign(n, 1);
    m.depth.assign(n, 1);
    m.finished.reserve(n);
    struct Step {
        Node node;
        std::size_t next;  // position of the next use to follow
    };
    std::vector<Step> path;
    for (std::size_t start = 0; start < n; ++start) {
        if (mark[start] != Mark::New) continue;
        mark[start] = Mark::OnPath;
        path.push_back({static_cast<Node>(start), 0});
        while (!path.empty()) {
            Step& top = path.back();
            const std::vector<Node>& uses = Uses(top.node);
            if (top.next == uses.size()) {
                const auto done = static_cast<std::size_t>(top.node);
                for (const Node used : uses) {
                    if (used == kNoRoom) continue;
                    const auto u = static_cast<std::size_t>(used);
                    m.occurrences[done] = Add(m.occurrences[done], m.occurrences[u]);
                    m.depth[done] = std::max(m.depth[done], m.depth[u] + 1);
                }
                mark[done] = Mark::Done;
                m.finished.push_back(top.node);
                path.pop_back();
                continue;
            }
            const std::size_t at = top.next++;
            const Node used = uses[at];
            if (used == kNoRoom) continue;
            Mark& seen = mark[static_cast<std::size_t>(used)];
            if (seen == Mark::OnPath) {
                Cycle cycle{{}, at};
                auto it = std::find_if(path.begin(), path.end(),
                                       [used](const Step& s) { return s.node == used; });
                for (; it != path.end(); ++it) cycle.path.push_back(it->node);
                return Measure{{}, {}, {}, 0, std::move(cycle)};
            }
            if (seen == Mark::New) {
                seen = Mark::OnPath;
                path.push_back({used, 0});
            }
        }
    }
    for (const std::uint64_t o : m.occurrences) m.total = Add(m.total, o);
    return m;
}

std::vector<std::uint64_t> UseGraph::Inclusions(const Measure& measure,
                                                const std::vector<std::uint64_t>& roots) const {
    std::vector<std::uint64_t> count = roots;
    count.resize(Size(), 0);
    // Last finished first: every node is done before any node it uses.
    for (auto it = measure.finished.rbegin(); it != measure.finished.rend(); ++it) {
        const std::uint64_t here = count[static_cast<std::size_t>(*it)];
        if (here == 0) continue;
        for (const Node used : Uses(*it))
            if (used != kNoRoom)
                count[static_cast<std::size_t>(used)] =
                    Add(count[static_cast<std::size_t>(used)], here);
    }
    return count;
}

std::vector<char> UseGraph::TreesHolding(const Measure& measure, std::vector<char> marks) const {
    marks.resize(Size(), 0);
    for (const Node n : measure.finished)  // every node after the nodes it uses
        for (const Node used : Uses(n))
            if (used != kNoRoom && marks[static_cast<std::size_t>(used)])
                marks[static_cast<std::size_t>(n)] = 1;
    return marks;
}

}  // namespace torvane

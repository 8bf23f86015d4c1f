// The local search for sets too large for the exact program.
//
// An open route is found as a closed tour through one more node, the dummy,
// which is at distance 0 from every node: cut at the dummy, a tour is an open
// route with a free start, and the shortest tour gives the shortest route.
// With a given start, the start is a node of its own and the edge between the
// dummy and the start is fixed (no move may remove it): the tour then leaves
// the dummy for the start, walks the route, and returns from its free end to
// the dummy at no cost.
//
// On the tour: 2-opt and Or-opt moves (a segment of 1 to 3 nodes moved
// elsewhere, either way round), each tried only towards the nearest
// neighbours of a node, with don't-look bits (a queue of the nodes whose
// surroundings changed); then perturbation by local double-bridge kicks
// (two neighbouring segments swapped), keeping a kicked tour when it is no
// longer than the one before; several starts. Every choice comes from a
// seeded generator of our own and every tie is broken by node number, so
// the result is the same on every platform.
#include <algorithm>
#include <cmath>
#include <cstddef>

#include "route/route_planner.h"

namespace {

constexpr int32_t NEIGHBOUR_COUNT = 8;
constexpr int32_t LONGEST_MOVED_SEGMENT = 3;
constexpr int32_t LONGEST_KICK_SEGMENT = 45;
// A bound on improving moves per optimisation, per node: rounding cannot
// make the search cycle for ever.
constexpr int32_t MOVES_PER_NODE = 50;

// splitmix64: small, fast and the same everywhere.
struct Random {
  uint64_t state;
  uint64_t next() {
    uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  int32_t below(int32_t bound) { return static_cast<int32_t>(next() % static_cast<uint64_t>(bound)); }
};

class TourSearch {
 public:
  TourSearch(const std::vector<RoutePoint> &points, const RoutePoint *start, uint64_t seed);
  std::vector<int32_t> run(const RouteSearchBudget &budget);

 private:
  double d(int32_t a, int32_t b) const { return distances_[static_cast<size_t>(a) * size_ + b]; }
  int32_t succ(int32_t node) const { return tour_[pos_[node] + 1 == size_ ? 0 : pos_[node] + 1]; }
  int32_t pred(int32_t node) const { return tour_[pos_[node] == 0 ? size_ - 1 : pos_[node] - 1]; }
  bool fixedEdge(int32_t a, int32_t b) const {
    return start_ >= 0 && ((a == dummy_ && b == start_) || (a == start_ && b == dummy_));
  }
  const int32_t *neighbours(int32_t node) const { return &neighbours_[static_cast<size_t>(node) * neighbourCount_]; }

  void buildNeighbourLists();
  void setTour(const std::vector<int32_t> &order);
  void nearestNeighbourTour();
  void randomTour();
  double tourLength() const;
  void queueNode(int32_t node);
  void queueAll();
  void optimise();
  bool twoOpt(int32_t a);
  bool orOpt(int32_t a);
  bool tryOrOpt(int32_t s1, int32_t s2, int32_t length);
  void reverseForward(int32_t from, int32_t to);
  void moveSegment(int32_t s1, int32_t s2, int32_t end, int32_t c, int32_t c2);
  bool kick();
  std::vector<int32_t> routeOfTour(const std::vector<int32_t> &tour) const;

  int32_t pointCount_;
  int32_t size_;
  int32_t start_ = -1;  // the start's node, or -1 for a free start
  int32_t dummy_;
  std::vector<double> distances_;
  std::vector<int32_t> neighbours_;
  int32_t neighbourCount_ = 0;
  double epsilon_ = 0.0;
  std::vector<int32_t> tour_;
  std::vector<int32_t> pos_;
  std::vector<int32_t> queue_;
  std::vector<char> queued_;
  int32_t queueHead_ = 0;
  int32_t queueCount_ = 0;
  std::vector<int32_t> scratch_;
  std::vector<int32_t> segment_;
  Random random_;
};

TourSearch::TourSearch(const std::vector<RoutePoint> &points, const RoutePoint *start, uint64_t seed)
    : pointCount_(static_cast<int32_t>(points.size())), random_{seed} {
  std::vector<RoutePoint> nodes = points;
  if (start) {
    start_ = pointCount_;
    nodes.push_back(*start);
  }
  dummy_ = static_cast<int32_t>(nodes.size());
  size_ = dummy_ + 1;
  distances_.assign(static_cast<size_t>(size_) * size_, 0.0);
  double spread = 0.0;
  for (int32_t a = 0; a < dummy_; ++a) {
    for (int32_t b = 0; b < dummy_; ++b) {
      const double between = routeDistance(nodes[a], nodes[b]);
      distances_[static_cast<size_t>(a) * size_ + b] = between;
      spread = std::max(spread, between);
    }
  }
  // Gains below this are rounding, not improvement.
  epsilon_ = 1e-12 * (spread + 1.0);
  buildNeighbourLists();
  tour_.resize(size_);
  pos_.resize(size_);
  queue_.resize(size_);
  queued_.assign(size_, 0);
}

void TourSearch::buildNeighbourLists() {
  neighbourCount_ = std::min(NEIGHBOUR_COUNT, size_ - 1);
  neighbours_.resize(static_cast<size_t>(size_) * neighbourCount_);
  std::vector<int32_t> others;
  for (int32_t node = 0; node < size_; ++node) {
    others.clear();
    for (int32_t other = 0; other < size_; ++other) {
      if (other != node) others.push_back(other);
    }
    // Ties are broken by node number: a total order, so any sort gives the
    // same lists.
    std::partial_sort(others.begin(), others.begin() + neighbourCount_, others.end(), [&](int32_t a, int32_t b) {
      const double da = d(node, a);
      const double db = d(node, b);
      return da < db || (da == db && a < b);
    });
    std::copy(others.begin(), others.begin() + neighbourCount_,
              neighbours_.begin() + static_cast<ptrdiff_t>(node) * neighbourCount_);
  }
}

void TourSearch::setTour(const std::vector<int32_t> &order) {
  tour_ = order;
  for (int32_t i = 0; i < size_; ++i) pos_[tour_[i]] = i;
}

// The dummy, the start when there is one, then always the nearest point not
// yet visited.
void TourSearch::nearestNeighbourTour() {
  std::vector<int32_t> order{dummy_};
  std::vector<char> visited(size_, 0);
  visited[dummy_] = 1;
  int32_t last = -1;
  if (start_ >= 0) {
    order.push_back(start_);
    visited[start_] = 1;
    last = start_;
  }
  while (static_cast<int32_t>(order.size()) < size_) {
    int32_t nearest = -1;
    for (int32_t node = 0; node < pointCount_; ++node) {
      if (visited[node]) continue;
      if (nearest < 0 || (last >= 0 && d(last, node) < d(last, nearest))) nearest = node;
    }
    order.push_back(nearest);
    visited[nearest] = 1;
    last = nearest;
  }
  setTour(order);
}

void TourSearch::randomTour() {
  std::vector<int32_t> order{dummy_};
  if (start_ >= 0) order.push_back(start_);
  const size_t first = order.size();
  for (int32_t node = 0; node < pointCount_; ++node) order.push_back(node);
  for (size_t i = order.size() - 1; i > first; --i) {
    const size_t j = first + static_cast<size_t>(random_.below(static_cast<int32_t>(i - first + 1)));
    std::swap(order[i], order[j]);
  }
  setTour(order);
}

double TourSearch::tourLength() const {
  double length = 0.0;
  for (int32_t i = 0; i < size_; ++i) length += d(tour_[i], tour_[i + 1 == size_ ? 0 : i + 1]);
  return length;
}

void TourSearch::queueNode(int32_t node) {
  if (queued_[node]) return;
  queued_[node] = 1;
  int32_t at = queueHead_ + queueCount_;
  if (at >= size_) at -= size_;
  queue_[at] = node;
  ++queueCount_;
}

void TourSearch::queueAll() {
  for (int32_t i = 0; i < size_; ++i) queueNode(tour_[i]);
}

void TourSearch::optimise() {
  int32_t movesLeft = MOVES_PER_NODE * size_;
  while (queueCount_ > 0) {
    const int32_t node = queue_[queueHead_];
    queueHead_ = queueHead_ + 1 == size_ ? 0 : queueHead_ + 1;
    --queueCount_;
    queued_[node] = 0;
    if (movesLeft > 0 && (twoOpt(node) || orOpt(node))) {
      --movesLeft;
      queueNode(node);
    }
  }
}

// Reverses the walk from `from` forward to `to`, or the rest of the tour
// instead when that is shorter (the same tour, read the other way).
void TourSearch::reverseForward(int32_t from, int32_t to) {
  int32_t i = pos_[from];
  int32_t j = pos_[to];
  int32_t length = (j - i + size_) % size_ + 1;
  if (2 * length > size_) {
    i = pos_[to] + 1 == size_ ? 0 : pos_[to] + 1;
    j = pos_[from] == 0 ? size_ - 1 : pos_[from] - 1;
    length = size_ - length;
  }
  for (int32_t step = 0; step < length / 2; ++step) {
    std::swap(tour_[i], tour_[j]);
    pos_[tour_[i]] = i;
    pos_[tour_[j]] = j;
    i = i + 1 == size_ ? 0 : i + 1;
    j = j == 0 ? size_ - 1 : j - 1;
  }
}

// Replaces the edges (a, b) and (c, e), b and e on the same side of a and c,
// with (a, c) and (b, e).
bool TourSearch::twoOpt(int32_t a) {
  for (int32_t forward = 1; forward >= 0; --forward) {
    const int32_t b = forward ? succ(a) : pred(a);
    if (fixedEdge(a, b)) continue;
    const double removed = d(a, b);
    for (int32_t k = 0; k < neighbourCount_; ++k) {
      const int32_t c = neighbours(a)[k];
      const double partial = removed - d(a, c);
      if (partial <= epsilon_) break;
      const int32_t e = forward ? succ(c) : pred(c);
      if (c == b || e == a || fixedEdge(c, e)) continue;
      if (partial + d(c, e) - d(b, e) <= epsilon_) continue;
      if (forward) {
        reverseForward(b, c);
      } else {
        reverseForward(a, e);
      }
      queueNode(a);
      queueNode(b);
      queueNode(c);
      queueNode(e);
      return true;
    }
  }
  return false;
}

// Moves a segment of up to three nodes that ends at a.
bool TourSearch::orOpt(int32_t a) {
  if (size_ < LONGEST_MOVED_SEGMENT + 5) return false;
  for (int32_t length = 1; length <= LONGEST_MOVED_SEGMENT; ++length) {
    int32_t last = a;
    int32_t first = a;
    for (int32_t i = 1; i < length; ++i) last = succ(last);
    for (int32_t i = 1; i < length; ++i) first = pred(first);
    if (tryOrOpt(a, last, length)) return true;
    if (length > 1 && tryOrOpt(first, a, length)) return true;
  }
  return false;
}

// Moves the segment s1..s2 (forward, `length` nodes) between a near
// neighbour c of one of its ends and a node c2 next to c, the end next to c.
bool TourSearch::tryOrOpt(int32_t s1, int32_t s2, int32_t length) {
  const int32_t p = pred(s1);
  const int32_t nx = succ(s2);
  if (fixedEdge(p, s1) || fixedEdge(s2, nx)) return false;
  const double removal = d(p, s1) + d(s2, nx) - d(p, nx);
  if (removal <= epsilon_) return false;
  const int32_t first = pos_[s1];
  auto inSegment = [&](int32_t node) {
    int32_t offset = pos_[node] - first;
    if (offset < 0) offset += size_;
    return offset < length;
  };
  for (int32_t side = 0; side < (length > 1 ? 2 : 1); ++side) {
    const int32_t end = side == 0 ? s1 : s2;
    const int32_t other = side == 0 ? s2 : s1;
    for (int32_t k = 0; k < neighbourCount_; ++k) {
      const int32_t c = neighbours(end)[k];
      const double partial = removal - d(end, c);
      if (partial <= epsilon_) break;
      if (inSegment(c)) continue;
      for (int32_t c2 : {succ(c), pred(c)}) {
        if (inSegment(c2) || fixedEdge(c, c2)) continue;
        if (partial - d(other, c2) + d(c, c2) <= epsilon_) continue;
        moveSegment(s1, s2, end, c, c2);
        queueNode(p);
        queueNode(nx);
        queueNode(c);
        queueNode(c2);
        queueNode(s1);
        queueNode(s2);
        return true;
      }
    }
  }
  return false;
}

// Takes s1..s2 out and puts it back between the neighbours c and c2, with
// `end` (s1 or s2) next to c. Rebuilds the tour: the sets are small.
void TourSearch::moveSegment(int32_t s1, int32_t s2, int32_t end, int32_t c, int32_t c2) {
  std::vector<int32_t> &segment = segment_;
  segment.clear();
  for (int32_t node = s1;; node = succ(node)) {
    segment.push_back(node);
    if (node == s2) break;
  }
  if (end == s2) std::reverse(segment.begin(), segment.end());  // now segment.front() belongs next to c
  scratch_.clear();
  for (int32_t node = succ(s2); node != s1; node = succ(node)) {
    scratch_.push_back(node);
    if (node == c && succ(c) == c2) {
      scratch_.insert(scratch_.end(), segment.begin(), segment.end());
    } else if (node == c2 && succ(c2) == c) {
      scratch_.insert(scratch_.end(), segment.rbegin(), segment.rend());
    }
  }
  setTour(scratch_);
}

// A double bridge: two neighbouring pieces of the tour, each of 1 to
// LONGEST_KICK_SEGMENT nodes, change places. Only three edges change, but no
// single 2-opt or Or-opt move undoes it. False when the cuts would remove the
// fixed edge.
bool TourSearch::kick() {
  const int32_t longest = std::max(1, std::min(LONGEST_KICK_SEGMENT, (size_ - 2) / 2));
  const int32_t first = random_.below(size_);
  const int32_t lengthA = 1 + random_.below(longest);
  const int32_t lengthB = 1 + random_.below(longest);
  auto at = [&](int32_t offset) { return tour_[(first + offset) % size_]; };
  const int32_t before = at(size_ - 1);
  if (fixedEdge(before, at(0)) || fixedEdge(at(lengthA - 1), at(lengthA)) ||
      fixedEdge(at(lengthA + lengthB - 1), at(lengthA + lengthB))) {
    return false;
  }
  queueNode(before);
  queueNode(at(0));
  queueNode(at(lengthA - 1));
  queueNode(at(lengthA));
  queueNode(at(lengthA + lengthB - 1));
  queueNode(at(lengthA + lengthB));
  scratch_.clear();
  for (int32_t i = 0; i < lengthA + lengthB; ++i) scratch_.push_back(at(i));
  std::rotate(scratch_.begin(), scratch_.begin() + lengthA, scratch_.end());
  for (int32_t i = 0; i < lengthA + lengthB; ++i) {
    const int32_t position = (first + i) % size_;
    tour_[position] = scratch_[i];
    pos_[scratch_[i]] = position;
  }
  return true;
}

// The route of a tour: cut at the dummy, read towards the start when there
// is one.
std::vector<int32_t> TourSearch::routeOfTour(const std::vector<int32_t> &tour) const {
  const int32_t at = static_cast<int32_t>(std::find(tour.begin(), tour.end(), dummy_) - tour.begin());
  const bool forward = start_ < 0 || tour[(at + 1) % size_] == start_;
  std::vector<int32_t> route;
  for (int32_t step = 1; step < size_; ++step) {
    const int32_t node = tour[forward ? (at + step) % size_ : (at - step + size_) % size_];
    if (node != start_) route.push_back(node);
  }
  return route;
}

std::vector<int32_t> TourSearch::run(const RouteSearchBudget &budget) {
  std::vector<int32_t> best;
  double bestLength = 0.0;
  std::vector<int32_t> saved;
  const int32_t kicks = budget.kicksPerPoint * pointCount_;
  for (int32_t restart = 0; restart < std::max(1, budget.restarts); ++restart) {
    if (restart == 0) {
      nearestNeighbourTour();
    } else {
      randomTour();
    }
    queueAll();
    optimise();
    double length = tourLength();
    for (int32_t k = 0; k < kicks && size_ >= 8; ++k) {
      saved = tour_;
      if (!kick()) continue;
      optimise();
      const double kicked = tourLength();
      if (kicked <= length + epsilon_) {
        length = kicked;
      } else {
        setTour(saved);
      }
    }
    if (best.empty() || length < bestLength - epsilon_) {
      best = tour_;
      bestLength = length;
    }
  }
  return routeOfTour(best);
}

}  // namespace

std::vector<int32_t> planRouteBySearch(const std::vector<RoutePoint> &points, const RoutePoint *start,
                                       const RouteSearchBudget &budget) {
  if (points.empty()) return {};
  TourSearch search(points, start, budget.seed);
  return search.run(budget);
}

#include "book/Groups.h"

#include <algorithm>
#include <sstream>

namespace quorva {

namespace {

std::string expiry_name(const Position& position) {
    std::ostringstream text;
    text << position.second->expiry();
    return text.str();
}

/// Appends position `index` to the group named `name`, started when new.
void add_to(std::vector<Group>& groups, const std::string& name, std::size_t index) {
    const auto named = std::find_if(groups.begin(), groups.end(), [&](const Group& g) { return g.name == name; });
    if (named == groups.end()) {
        groups.push_back({name, {index}});
    } else {
        named->positions.push_back(index);
    }
}

}  // namespace

std::vector<Group> group_positions(const Portfolio& portfolio, Grouping grouping) {
    std::vector<Group> groups;
    if (grouping == Grouping::NONE) {
        for (std::size_t i = 0; i < portfolio.size(); ++i) add_to(groups, "", i);
        return groups;
    }
    std::vector<std::size_t> order(portfolio.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    if (grouping == Grouping::EXPIRY) {
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return portfolio[a].second->expiry() < portfolio[b].second->expiry();
        });
    } else {
        std::stable_partition(order.begin(), order.end(), [&](std::size_t i) { return !portfolio[i].label.empty(); });
    }
    for (const std::size_t i : order) {
        const Position& position = portfolio[i];
        add_to(groups, grouping == Grouping::EXPIRY ? expiry_name(position)
                                                    : position.label.empty() ? "-" : position.label,
               i);
    }
    return groups;
}

}  // namespace quorva

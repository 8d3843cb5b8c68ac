#pragma once

// Qt Test tables in fewer lines: the columns declared at once, a row added with its values in one call, and the
// current row's values fetched at once.
//     columns<QString, bool>({"text", "accepted"});
//     dataRow("empty", "", false);
//     const auto [text, accepted] = fetch<QString, bool>({"text", "accepted"});

#include <QTest>

#include <array>
#include <cstddef>
#include <tuple>
#include <type_traits>
#include <utility>

template <typename... Types> void columns(const std::array<const char*, sizeof...(Types)>& names) {
    std::size_t index = 0;
    (QTest::addColumn<Types>(names[index++]), ...);
}

template <typename... Values> void dataRow(const char* name, const Values&... values) {
    (QTest::newRow(name) << ... << values);
}

template <typename... Types, std::size_t... Index>
std::tuple<Types...> fetchAt(const std::array<const char*, sizeof...(Types)>& names, std::index_sequence<Index...>) {
    return {*static_cast<Types*>(QTest::qData(names[Index], qMetaTypeId<std::remove_cv_t<Types>>()))...};
}

template <typename... Types> std::tuple<Types...> fetch(const std::array<const char*, sizeof...(Types)>& names) {
    return fetchAt<Types...>(names, std::index_sequence_for<Types...>{});
}

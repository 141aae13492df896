// Whether the host may release an item. An item the host frees must be one
// that only its filing holds: a table, the anonymous-item map or a token
// list, all of which QuorbItem::Release leaves. Anything else would leave a
// pointer to freed memory behind.
#ifndef QUORB_API_ITEM_RELEASE_H
#define QUORB_API_ITEM_RELEASE_H

#include <functional>

namespace QuorbNameSpace {
class Quorb;
class QuorbItem;
class StringLocation;
}

namespace QuorbApi {

// False for: sentinels and items of no instance; the default and
// output-text items; an item held inside another (a parameter, a rule part
// or variant, a code-block closer, a transform's rule defaults, an
// expression's argument or result); an item a parsed expression refers to;
// a type item whose type still has values (an item, an expression's value,
// a running call's buffer or a host allocation); and every item while the
// instance runs host code (a callback or handler could free what runs).
bool MayRelease(const QuorbNameSpace::QuorbItem* item);

// Whether `item` is a rule or token that a running expansion may read: a
// rule of a transform that runs (or whose local transform runs), a token
// while any transform of its instance runs. Host code called back from a
// rule's directive must not free or refile those.
bool ReadByRunningExpansion(const QuorbNameSpace::QuorbItem* item);

// Calls `visit` once for every transform of `instance`: its own, the
// host's, and every pass below them. Pass lists may share passes or even
// lead back to a transform already seen; each is visited once all the same.
void ForEachTransform(const QuorbNameSpace::Quorb& instance,
                      const std::function<void(QuorbNameSpace::StringLocation*)>& visit);

// Takes the item out of the lists its own release does not know: every
// transform's rules listed for the host and its change records.
void Unlist(QuorbNameSpace::QuorbItem* item);

}  // namespace QuorbApi

#endif

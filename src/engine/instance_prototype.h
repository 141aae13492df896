// New instances as copies of one prototype instance per process.
//
// Reading the built-in definition texts is most of what building an
// instance costs, and every instance reads the same texts to the same
// result. So the process reads them once, into a prototype instance that
// is only read from then on, and each new instance copies it: every item
// and sub-item, overload chain, symbol table, token, rule, type object and
// the instance's own settings, each link redirected to the copy of what it
// named. Process-wide objects (the sentinels, the type prototypes) are
// shared, as they are by instances built from the texts.
//
// Parsed bodies of built-in functions are copied step by step with their
// temporaries. Should a row of the built-in list leave something a copy
// cannot reproduce (instance_plan.cpp says what), the prototype stops
// before the first such row, and each copy defines that row and every later
// one from its text, in list order, so the result is the one the texts give.
#ifndef QUORB_ENGINE_INSTANCE_PROTOTYPE_H
#define QUORB_ENGINE_INSTANCE_PROTOTYPE_H

namespace QuorbNameSpace {

class Quorb;

// Makes `instance` (just constructed, nothing built yet) a copy of the
// prototype, building the prototype on first use, once per process and
// safely when several threads create instances at once. False, leaving
// `instance` untouched, for the first instance of the process (which is
// cheaper read from the texts than through a prototype) and when the
// prototype holds something a copy cannot reproduce: the caller then builds
// from the texts. Throws only what
// allocation throws; whatever was copied by then is reachable from
// `instance`, so its tear-down frees it.
bool CopyInstancePrototype(Quorb& instance);

// Whether new instances are copies of the prototype (false: each one reads
// the definition texts).
bool InstancePrototypeUsable();

// The switch to the slow twin of the copies: while it is false, each new
// instance is built from the definition texts, so that a test can check a
// copy against its original. Process-wide, read each time an instance is
// made; only tests change it.
extern bool InstanceCopies;

}  // namespace QuorbNameSpace

#endif

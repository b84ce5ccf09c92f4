// A pose of the doll as a short text for the page's address, so that a copied link, or a reload,
// opens the doll as it was left: how the state (fkiss.js's) differs from the state the page opens
// in. Sections joined by "~", each a letter and numbers joined by ".": s the set shown; p a set,
// then object, x and y of each object moved in it; m the cel lines shown or hidden unlike at the
// start; t cel line and transparency; f object and fix; g set and palette group. Reading takes
// what fits the doll and leaves the rest, so a garbled or hostile text does no more than that.
const Pose = (() => {
  "use strict";
  const kMaxText = 1 << 20; // characters: a longer text is no pose of a page
  const kMaxPlace = 32767;

  const write = (from, state) => {
    const parts = [];
    const section = (letter, numbers) => numbers.length > 0 && parts.push(letter + numbers.join("."));
    if (state.set !== from.set) parts.push("s" + state.set);
    state.positions.forEach((places, set) => {
      const moved = [set]; // written at every change shown: no array made for each object
      places.forEach(([x, y], o) => (x !== from.positions[set][o][0] || y !== from.positions[set][o][1]) && moved.push(o, x, y));
      if (moved.length > 1) section("p", moved);
    });
    const lines = (f) => state.cels.flatMap((c, line) => f(c, from.cels[line], line));
    section("m", lines((c, c0, line) => (c.mapped !== c0.mapped ? [line] : [])));
    section("t", lines((c, c0, line) => (c.transparency !== c0.transparency ? [line, c.transparency] : [])));
    section("f", state.fix.flatMap((f, o) => (f !== from.fix[o] ? [o, f] : [])));
    section("g", state.paletteGroup.flatMap((g, n) => (g !== from.paletteGroup[n] ? [n, g] : [])));
    return parts.join("~");
  };

  // Applies a pose to state, which is as the page opens (from): sets among those shown, objects
  // and cel lines the doll has, values in their ranges; anything else is left out.
  const read = (text, state, from, shown) => {
    if (typeof text !== "string" || text.length > kMaxText) return;
    const within = (v, low, high) => v >= low && v <= high; // false for NaN
    for (const part of text.split("~")) {
      const n = part.slice(1).split(".").map((t) => (/^-?\d{1,9}$/.test(t) ? Number(t) : NaN));
      const each = (size, f) => {
        for (let i = part[0] === "p" ? 1 : 0; i + size <= n.length; i += size) f(...n.slice(i, i + size));
      };
      const line = (l) => within(l, 0, state.cels.length - 1);
      if (part[0] === "s" && shown.includes(n[0])) state.set = n[0];
      if (part[0] === "p" && shown.includes(n[0])) {
        const places = state.positions[n[0]];
        each(3, (o, x, y) => {
          if (within(o, 0, places.length - 1) && within(x, -kMaxPlace, kMaxPlace) && within(y, -kMaxPlace, kMaxPlace))
            places[o] = [x, y];
        });
      }
      if (part[0] === "m") each(1, (l) => line(l) && (state.cels[l].mapped = !from.cels[l].mapped));
      if (part[0] === "t") each(2, (l, t) => line(l) && within(t, 0, 255) && (state.cels[l].transparency = t));
      if (part[0] === "f") each(2, (o, f) => within(o, 0, state.fix.length - 1) && within(f, 0, 1e9) && (state.fix[o] = f));
      if (part[0] === "g") each(2, (s, g) => within(s, 0, 9) && within(g, 0, 255) && (state.paletteGroup[s] = g));
    }
  };

  return { write, read };
})();
if (typeof module !== "undefined") module.exports = Pose;

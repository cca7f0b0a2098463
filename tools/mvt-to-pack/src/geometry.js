// Plane geometry for the converter. Points are [x, y] in the pack's world
// space, y pointing north, so an outer ring that runs counter-clockwise has a
// positive signed area and every triangle we emit is counter-clockwise seen
// from above (its normal points up, the walls built on it face outward).
// Rings are open: the last point is not a copy of the first.

import earcut from 'earcut';
import {quantise} from './payload.js';

// Twice the signed area of the triangle a, b, c.
export function cross(a, b, c) {
    return (b[0] - a[0]) * (c[1] - a[1]) - (c[0] - a[0]) * (b[1] - a[1]);
}

export function signedArea(ring) {
    let sum = 0;
    for (let i = 0, j = ring.length - 1; i < ring.length; j = i++) {
        sum += (ring[j][0] - ring[i][0]) * (ring[j][1] + ring[i][1]);
    }
    return sum / 2;
}

const samePoint = (a, b) => a[0] === b[0] && a[1] === b[1];

// Rounds to tenths (what the payload keeps), drops repeated points and the
// closing copy of the first point.
export function cleanRing(points) {
    const out = [];
    for (const p of points) {
        const q = [quantise(p[0]), quantise(p[1])];
        if (out.length === 0 || !samePoint(out[out.length - 1], q)) out.push(q);
    }
    while (out.length > 1 && samePoint(out[0], out[out.length - 1])) out.pop();
    return out;
}

export function cleanLine(points) {
    const out = [];
    for (const p of points) {
        const q = [quantise(p[0]), quantise(p[1])];
        if (out.length === 0 || !samePoint(out[out.length - 1], q)) out.push(q);
    }
    return out;
}

// Groups rings into polygons: a ring with positive area starts a polygon,
// one with negative area is a hole of the polygon before it. Rings without
// area, and holes before any outer ring, are dropped.
export function classifyRings(rings) {
    const polygons = [];
    for (const ring of rings) {
        if (ring.length < 3) continue;
        const area = signedArea(ring);
        if (area > 0) polygons.push({outer: ring, holes: []});
        else if (area < 0 && polygons.length > 0) polygons[polygons.length - 1].holes.push(ring);
    }
    return polygons;
}

// Sutherland-Hodgman against an axis-aligned box [x1, y1, x2, y2]. Concave
// rings may come out with zero-width spurs along the box edges; they add no
// area and earcut takes them.
export function clipRing(ring, [x1, y1, x2, y2]) {
    const edges = [
        [(p) => p[0] >= x1, (a, b) => lerpAt(a, b, 0, x1)],
        [(p) => p[0] <= x2, (a, b) => lerpAt(a, b, 0, x2)],
        [(p) => p[1] >= y1, (a, b) => lerpAt(a, b, 1, y1)],
        [(p) => p[1] <= y2, (a, b) => lerpAt(a, b, 1, y2)],
    ];
    let out = ring;
    for (const [inside, cut] of edges) {
        const input = out;
        out = [];
        for (let i = 0; i < input.length; ++i) {
            const cur = input[i];
            const prev = input[(i + input.length - 1) % input.length];
            if (inside(cur)) {
                if (!inside(prev)) out.push(cut(prev, cur));
                out.push(cur);
            } else if (inside(prev)) {
                out.push(cut(prev, cur));
            }
        }
        if (out.length === 0) break;
    }
    return out;
}

function lerpAt(a, b, axis, value) {
    const t = (value - a[axis]) / (b[axis] - a[axis]);
    const p = [a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t];
    p[axis] = value;
    return p;
}

// Liang-Barsky per segment; returns the pieces of the line inside the box.
export function clipLine(points, [x1, y1, x2, y2]) {
    const pieces = [];
    let current = null;
    for (let i = 1; i < points.length; ++i) {
        const a = points[i - 1];
        const b = points[i];
        const dx = b[0] - a[0];
        const dy = b[1] - a[1];
        let t0 = 0;
        let t1 = 1;
        let visible = true;
        for (const [p, q] of [[-dx, a[0] - x1], [dx, x2 - a[0]], [-dy, a[1] - y1], [dy, y2 - a[1]]]) {
            if (p === 0) {
                if (q < 0) visible = false;
            } else {
                const t = q / p;
                if (p < 0) t0 = Math.max(t0, t);
                else t1 = Math.min(t1, t);
            }
        }
        if (!visible || t0 > t1) {
            current = null;
            continue;
        }
        const start = t0 === 0 ? a : [a[0] + dx * t0, a[1] + dy * t0];
        const end = t1 === 1 ? b : [a[0] + dx * t1, a[1] + dy * t1];
        if (!current) {
            current = [start];
            pieces.push(current);
        }
        current.push(end);
        if (t1 < 1) current = null;
    }
    return pieces.filter((piece) => piece.length >= 2);
}

// Triangulates a polygon with holes. Returns its vertices (outer ring first,
// then each hole) and counter-clockwise triangles as index triples; triangles
// without area are left out.
export function triangulate(outer, holes = []) {
    const vertices = [outer, ...holes].flat();
    const holeIndices = [];
    let n = outer.length;
    for (const hole of holes) {
        holeIndices.push(n);
        n += hole.length;
    }
    const flat = vertices.flat();
    const found = earcut(flat, holeIndices.length ? holeIndices : undefined, 2);
    const triangles = [];
    for (let i = 0; i + 2 < found.length; i += 3) {
        const [a, b, c] = [found[i], found[i + 1], found[i + 2]];
        const area = cross(vertices[a], vertices[b], vertices[c]);
        if (area > 0) triangles.push([a, b, c]);
        else if (area < 0) triangles.push([a, c, b]);
    }
    return {vertices, triangles};
}

// Joins counter-clockwise triangles into one strip that keeps their winding.
// A triangle whose first two corners (in some rotation) are the strip's last
// two in the order the strip's parity needs costs one index; any other is
// joined as the library joins strips: the last index repeated once (twice
// when the strip's length is odd), then the new first index repeated once,
// so the new triangle starts at an even position and keeps its winding.
// Every triangle spanning a join has two equal corners and no area.
export function stripFromTriangles(triangles) {
    const strip = [];
    for (const [a, b, c] of triangles) {
        if (strip.length === 0) {
            strip.push(a, b, c);
            continue;
        }
        const n = strip.length;
        const u = strip[n - 2];
        const v = strip[n - 1];
        // Triangle k = n - 2 of a strip is (s[k], s[k+1], s[k+2]) for even k
        // and (s[k+1], s[k], s[k+2]) for odd k.
        const [first, second] = (n - 2) % 2 === 0 ? [u, v] : [v, u];
        const next = [[a, b, c], [b, c, a], [c, a, b]].find(([p, q]) => p === first && q === second);
        if (next) {
            strip.push(next[2]);
            continue;
        }
        strip.push(v);
        if (n % 2 === 1) strip.push(v);
        strip.push(a, a, b, c);
    }
    return strip;
}

// The triangles of an index strip by the strip rule, joins included.
export function stripTriangles(strip) {
    const out = [];
    for (let k = 0; k + 2 < strip.length; ++k) {
        out.push(k % 2 === 0 ? [strip[k], strip[k + 1], strip[k + 2]] : [strip[k + 1], strip[k], strip[k + 2]]);
    }
    return out;
}

// True for a counter-clockwise ring that turns left (or runs straight) at
// every corner and winds once around: a convex polygon, so a fan from any of
// its corners covers it exactly.
export function isConvex(ring) {
    const n = ring.length;
    if (n < 3) return false;
    let turning = 0;
    for (let i = 0; i < n; ++i) {
        const a = ring[(i + n - 1) % n];
        const b = ring[i];
        const c = ring[(i + 1) % n];
        const turn = cross(a, b, c);
        if (turn < 0) return false;
        const dot = (b[0] - a[0]) * (c[0] - b[0]) + (b[1] - a[1]) * (c[1] - b[1]);
        turning += Math.atan2(turn, dot);
    }
    return Math.abs(turning - 2 * Math.PI) < 1e-6;
}

// The area centroid of a ring, rounded to tenths, when every fan triangle
// from it to an edge of the ring is counter-clockwise with area: then the
// fan around it covers the polygon exactly (the polygon is star-shaped from
// there). Otherwise null.
export function fanCentre(ring) {
    const area = signedArea(ring);
    if (!(area > 0)) return null;
    let cx = 0;
    let cy = 0;
    for (let i = 0, j = ring.length - 1; i < ring.length; j = i++) {
        const f = ring[j][0] * ring[i][1] - ring[i][0] * ring[j][1];
        cx += (ring[j][0] + ring[i][0]) * f;
        cy += (ring[j][1] + ring[i][1]) * f;
    }
    const centre = [quantise(cx / (6 * area)), quantise(cy / (6 * area))];
    for (let i = 0; i < ring.length; ++i) {
        if (!(cross(centre, ring[i], ring[(i + 1) % ring.length]) > 0)) return null;
    }
    return centre;
}

// True when the edge a-b lies along a side of the box [x1, y1, x2, y2]:
// where the tile cut a feature, not an edge the feature has.
export function onClipEdge(a, b, [x1, y1, x2, y2]) {
    return (a[0] === b[0] && (a[0] === x1 || a[0] === x2)) || (a[1] === b[1] && (a[1] === y1 || a[1] === y2));
}

// The outline of a ring as runs of its indices: the whole ring, closed,
// when no edge lies on the box (or there is no box); else the runs of edges
// between the edges on it, starting after one of those; none when every
// edge lies on it.
export function outlineRuns(ring, cut) {
    const n = ring.length;
    const clipped = ring.map((p, i) => cut !== null && onClipEdge(p, ring[(i + 1) % n], cut));
    if (!clipped.includes(true)) return [[...ring.keys(), 0]];
    const start = clipped.findIndex((c, i) => !c && clipped[(i + n - 1) % n]);
    if (start < 0) return [];
    const runs = [];
    let run = null;
    for (let k = 0; k < n; ++k) {
        const e = (start + k) % n;
        if (clipped[e]) {
            run = null;
            continue;
        }
        if (!run) {
            run = [e];
            runs.push(run);
        }
        run.push((e + 1) % n);
    }
    return runs;
}

import assert from 'node:assert/strict';
import {describe, test} from 'node:test';

import {classifyRings, clipLine, clipRing, fanCentre, isConvex, signedArea, stripFromTriangles, triangulate} from '../src/geometry.js';
import {stripTriangles, triangleArea} from './decode.js';

// Deterministic pseudo-random numbers, so that failures repeat.
function random(seed) {
    let s = seed >>> 0;
    return () => ((s = (Math.imul(s, 1664525) + 1013904223) >>> 0) / 2 ** 32);
}

// A simple polygon: corners at increasing angles around a centre with
// random radii (star-shaped, often concave), counter-clockwise.
function starPolygon(rand, n, cx = 0, cy = 0) {
    const ring = [];
    for (let i = 0; i < n; ++i) {
        const angle = (2 * Math.PI * (i + rand() * 0.8)) / n;
        const r = 20 + rand() * 80;
        ring.push([Math.round((cx + r * Math.cos(angle)) * 10) / 10, Math.round((cy + r * Math.sin(angle)) * 10) / 10]);
    }
    return ring;
}

const square = (x, y, s) => [[x, y], [x + s, y], [x + s, y + s], [x, y + s]];
const sum = (values) => values.reduce((a, b) => a + b, 0);

describe('triangulate', () => {
    test('triangle area equals polygon area and every triangle turns counter-clockwise', () => {
        const rand = random(7);
        for (let k = 0; k < 200; ++k) {
            const n = 3 + Math.floor(rand() * 40);
            const outer = starPolygon(rand, n);
            // With 8 or more corners every edge stays 15 from the centre, so the hole fits.
            const holes = k % 3 === 0 && n >= 8 ? [square(-5, -5, 8).reverse()] : [];
            const {vertices, triangles} = triangulate(outer, holes);
            const expected = signedArea(outer) + sum(holes.map(signedArea));
            const areas = triangles.map(([a, b, c]) => triangleArea([vertices[a], vertices[b], vertices[c]]));
            assert.ok(areas.every((a) => a > 0), `polygon ${k} has a triangle that is not counter-clockwise`);
            assert.ok(Math.abs(sum(areas) - expected) <= 1e-9 * expected, `polygon ${k}: ${sum(areas)} != ${expected}`);
        }
    });

    test('a clockwise outer ring still gives counter-clockwise triangles', () => {
        const {vertices, triangles} = triangulate(square(0, 0, 10).reverse());
        assert.equal(triangles.length, 2);
        for (const [a, b, c] of triangles) assert.ok(triangleArea([vertices[a], vertices[b], vertices[c]]) > 0);
    });
});

describe('stripFromTriangles', () => {
    test('the strip holds exactly the triangles, each with its winding, and nothing else with area', () => {
        const rand = random(11);
        for (let k = 0; k < 200; ++k) {
            const outer = starPolygon(rand, 3 + Math.floor(rand() * 60));
            const {vertices, triangles} = triangulate(outer);
            const strip = stripFromTriangles(triangles);
            const key = (t) => {
                // The rotation that starts at the smallest index keeps the winding.
                const i = t.indexOf(Math.min(...t));
                return [t[i], t[(i + 1) % 3], t[(i + 2) % 3]].join(',');
            };
            const got = stripTriangles(strip)
                .filter(([a, b, c]) => a !== b && b !== c && a !== c)
                .map(key)
                .sort();
            assert.deepEqual(got, triangles.map(key).sort(), `polygon ${k}`);
            const area = sum(stripTriangles(strip.map((i) => vertices[i])).map(triangleArea));
            assert.ok(Math.abs(area - signedArea(outer)) <= 1e-9 * signedArea(outer));
        }
    });

    test('joins look like the library strip join and reuse shared edges', () => {
        // Two triangles sharing the edge 1-2 in the order the strip needs: one index.
        assert.deepEqual(stripFromTriangles([[0, 1, 2], [2, 1, 3]]), [0, 1, 2, 3]);
        // Unrelated triangles: last repeated twice (odd length), first once.
        assert.deepEqual(stripFromTriangles([[0, 1, 2], [3, 4, 5]]), [0, 1, 2, 2, 2, 3, 3, 4, 5]);
        assert.deepEqual(stripFromTriangles([]), []);
    });
});

describe('fans', () => {
    test('convex rings are recognised, concave and doubly wound ones are not', () => {
        assert.ok(isConvex(square(0, 0, 10)));
        assert.ok(isConvex([[0, 0], [5, 0], [10, 0], [10, 10], [0, 10]]), 'a straight corner is still convex');
        assert.ok(!isConvex(square(0, 0, 10).reverse()), 'clockwise');
        assert.ok(!isConvex([[0, 0], [10, 0], [10, 10], [5, 5], [0, 10]]), 'notch');
        const pentagram = [0, 2, 4, 1, 3].map((i) => [Math.cos((2 * Math.PI * i) / 5), Math.sin((2 * Math.PI * i) / 5)]);
        assert.ok(!isConvex(pentagram));
    });

    test('a centre is offered only where the fan around it covers the polygon exactly', () => {
        const notch = [[0, 0], [10, 0], [10, 10], [5, 8], [0, 10]];
        const centre = fanCentre(notch);
        assert.ok(centre);
        const fanArea = sum(notch.map((p, i) => triangleArea([centre, p, notch[(i + 1) % notch.length]])));
        assert.ok(Math.abs(fanArea - signedArea(notch)) < 1e-9);
        // A U shape: its centroid lies in the gap between the arms.
        const u = [[0, 0], [30, 0], [30, 30], [20, 30], [20, 10], [10, 10], [10, 30], [0, 30]];
        assert.equal(fanCentre(u), null);
    });
});

describe('clipping and rings', () => {
    test('clipped rings keep the area inside the box', () => {
        const clipped = clipRing(square(-5, -5, 10), [0, 0, 100, 100]);
        assert.equal(signedArea(clipped), 25);
        assert.equal(clipRing(square(200, 200, 10), [0, 0, 100, 100]).length, 0);
        const rand = random(3);
        for (let k = 0; k < 50; ++k) {
            const ring = starPolygon(rand, 20, 100, 100);
            const inside = clipRing(ring, [0, 0, 1000, 1000]);
            assert.equal(signedArea(inside), signedArea(ring), 'a ring inside the box is unchanged');
        }
    });

    test('lines are cut into their pieces inside the box', () => {
        const pieces = clipLine([[-10, 5], [5, 5], [5, 20], [8, 20], [8, 5], [20, 5]], [0, 0, 10, 10]);
        assert.deepEqual(pieces, [[[0, 5], [5, 5], [5, 10]], [[8, 10], [8, 5], [10, 5]]]);
    });

    test('holes follow their outer ring; rings without area and orphan holes are dropped', () => {
        const outer = square(0, 0, 10);
        const hole = square(2, 2, 2).reverse();
        const polygons = classifyRings([hole, outer, hole, [[0, 0], [1, 1], [2, 2]], square(20, 0, 5)]);
        assert.equal(polygons.length, 2);
        assert.deepEqual(polygons[0], {outer, holes: [hole]});
        assert.equal(polygons[1].holes.length, 0);
    });
});

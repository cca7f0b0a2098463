import assert from 'node:assert/strict';
import fs from 'node:fs';
import {createRequire} from 'node:module';
import path from 'node:path';
import {describe, test} from 'node:test';

import {PbfReader} from 'pbf';
import {VectorTile} from '@mapbox/vector-tile';

import {Layer, areaBlobs, buildingBlobs, convertTiles, groundTileSize, parseTileName} from '../src/convert.js';
import {classifyRings, cleanRing, clipRing, signedArea} from '../src/geometry.js';
import {readPack, writePack} from '../src/pack.js';
import {GeometryType as T} from '../src/payload.js';
import {decodeBlob, decodeIndexed, triangleArea} from './decode.js';
import {ByteReader} from '../src/bytes.js';

const require = createRequire(import.meta.url);
const fixtures = path.join(path.dirname(require.resolve('@mapbox/mvt-fixtures/package.json')), 'real-world', 'sanfrancisco');
const loadTile = (name) => ({...parseTileName(name), data: new Uint8Array(fs.readFileSync(path.join(fixtures, name)))});
const sum = (values) => values.reduce((a, b) => a + b, 0);
const close = (a, b, tolerance) => Math.abs(a - b) <= tolerance * Math.max(1, Math.abs(b));
const square = (x, y, s) => [[x, y], [x + s, y], [x + s, y + s], [x, y + s]];

// Area of what the library will build from a list of blobs: roofs and flat
// areas only (walls stand upright and cover no ground).
function builtArea(blobs) {
    return sum(blobs.map(([type, payload]) => sum(decodeBlob(type, payload).triangles.map(triangleArea))));
}

describe('areas and buildings', () => {
    const shapes = {
        convex: {outer: [[0, 0], [10, 0], [12, 6], [5, 11], [-2, 6]], holes: []},
        notched: {outer: [[0, 0], [10, 0], [10, 10], [5, 8], [0, 10]], holes: []},
        u: {outer: [[0, 0], [30, 0], [30, 30], [20, 30], [20, 10], [10, 10], [10, 30], [0, 30]], holes: []},
        courtyard: {outer: square(0, 0, 30), holes: [square(10, 10, 10).reverse()]},
    };

    test('each building takes the cheapest type that covers it exactly', () => {
        const types = Object.fromEntries(Object.entries(shapes).map(([name, p]) => [name, buildingBlobs(p, 9).map(([t]) => t)]));
        assert.deepEqual(types, {
            convex: [T.ON_POLYGON_TRIANGLE_FAN],
            notched: [T.TRIANGLE_FAN],
            u: [T.INDEXED_TRIANGLE_STRIPS],
            courtyard: [T.INDEXED_TRIANGLE_STRIPS, T.INDEXED_TRIANGLE_STRIPS],
        });
    });

    test('built area equals polygon area, and the outline walks every ring once', () => {
        for (const [name, polygon] of Object.entries(shapes)) {
            const expected = signedArea(polygon.outer) + sum(polygon.holes.map(signedArea));
            for (const blobs of [buildingBlobs(polygon, 12.5), areaBlobs(T.INDEXED_FLAT_TRIANGLE_STRIPS, polygon, 0)]) {
                assert.ok(close(builtArea(blobs), expected, 1e-6), `${name}: ${builtArea(blobs)} != ${expected}`);
                const rings = blobs.map(([type, payload]) => decodeBlob(type, payload).ring);
                const outline = sum(rings.map((ring) => Math.max(ring.length - 1, 0)));
                const corners = polygon.outer.length + sum(polygon.holes.map((h) => h.length));
                assert.equal(outline, corners, `${name}: outline edges`);
            }
            for (const [type, payload] of buildingBlobs(polygon, 12.5)) {
                assert.equal(decodeBlob(type, payload).height, 12.5, `${name}: height`);
            }
        }
    });

    test('an area too big for one block is cut into several that still cover it', () => {
        // A round lake of 70000 corners, beyond the u16 vertex count of one block.
        const outer = cleanRing(Array.from({length: 70000}, (_, i) => {
            const angle = (2 * Math.PI * i) / 70000;
            return [3000 * Math.cos(angle), 3000 * Math.sin(angle)];
        }));
        assert.ok(outer.length > 65535);
        const polygon = {outer, holes: []};
        const blobs = areaBlobs(T.INDEXED_FLAT_TRIANGLE_STRIPS, polygon, 0);
        assert.ok(blobs.length > 2);
        assert.ok(close(builtArea(blobs), signedArea(polygon.outer), 1e-6));
    });
});

describe('San Francisco tile 15-5238-12666', () => {
    const tile = loadTile('15-5238-12666.mvt');
    const pack = readPack(writePack(convertTiles([tile])));
    const size = pack.grid.bounds[2];
    const blobs = pack.requests.flatMap((r) => r.blobs.map((b) => ({...b, request: r})));
    const ofLayer = (name) => blobs.filter((b) => b.layerId === Layer[name]);

    test('a one-cell grid a ground tile wide, with metre-ish units', () => {
        assert.deepEqual(pack.grid, {cellsInRow: 1, cellsInCol: 1, bounds: [0, 0, size, size]});
        assert.ok(close(size, groundTileSize(15, 12666), 1e-12));
        assert.ok(size > 950 && size < 980, `${size}`);
        assert.equal(ofLayer('cell').length, 1);
    });

    test('every coordinate is finite and inside the tile', () => {
        let points = 0;
        for (const blob of blobs) {
            const decoded = decodeBlob(blob.type, blob.payload);
            if (!decoded) continue;
            for (const [x, y] of decoded.points) {
                assert.ok(Number.isFinite(x) && Number.isFinite(y), `blob ${blob.id}`);
                assert.ok(x >= -0.05 && x <= size + 0.05 && y >= -0.05 && y <= size + 0.05, `blob ${blob.id}: ${x}, ${y}`);
                ++points;
            }
        }
        assert.ok(points > 10000);
    });

    test('buildings cover the area of their clipped footprints, at their height', () => {
        const vt = new VectorTile(new PbfReader(tile.data));
        const layer = vt.layers.building;
        const scale = size / layer.extent;
        let expected = 0;
        const heights = new Set();
        for (let i = 0; i < layer.length; ++i) {
            const feature = layer.feature(i);
            heights.add(feature.properties.height);
            const rings = feature.loadGeometry().map((ring) => ring.map((p) => [p.x * scale, (layer.extent - p.y) * scale]));
            for (const {outer, holes} of classifyRings(rings.map((r) => cleanRing(clipRing(r, [0, 0, size, size])).reverse()))) {
                expected += signedArea(outer) + sum(holes.map(signedArea));
            }
        }
        const buildings = ofLayer('building');
        const built = builtArea(buildings.map((b) => [b.type, b.payload]));
        assert.ok(close(built, expected, 1e-5), `${built} != ${expected}`);
        const builtHeights = new Set(buildings.map((b) => decodeBlob(b.type, b.payload).height));
        assert.ok([...builtHeights].every((h) => heights.has(h)));
    });

    test('flat areas outline their own edges only, not where the tile cut them', () => {
        let onSides = 0;
        let segments = 0;
        for (const blob of [...ofLayer('landuse'), ...ofLayer('park'), ...ofLayer('water')]) {
            const {vertices, outline} = decodeIndexed(new ByteReader(blob.payload));
            for (let i = 1; i < outline.length; ++i) {
                const [a, b] = [vertices[outline[i - 1]], vertices[outline[i]]];
                const side = (k, v) => Math.abs(a[k] - v) < 0.05 && Math.abs(b[k] - v) < 0.05;
                if (side(0, 0) || side(0, size) || side(1, 0) || side(1, size)) ++onSides;
                ++segments;
            }
        }
        assert.ok(segments > 100);
        assert.equal(onSides, 0);
        // A square over the tile's corner keeps the two edges inside the tile.
        const cut = [0, 0, 10, 10];
        const runs = areaBlobs(T.INDEXED_FLAT_TRIANGLE_STRIPS, {outer: [[5, 0], [10, 0], [10, 10], [5, 10], [5, 5], [0, 5], [0, 0]], holes: []}, 0, cut);
        assert.equal(runs.length, 1);
        const {vertices, outline} = decodeIndexed(new ByteReader(runs[0][1]));
        assert.deepEqual(outline.map((i) => vertices[i]), [[5, 10], [5, 5], [0, 5]]);
    });

    test('roads, labels and points carry what the builders read', () => {
        const roads = ofLayer('road').map((b) => decodeBlob(b.type, b.payload));
        assert.ok(roads.length > 50);
        assert.ok(roads.every((r) => r.points.length >= 2 && r.width > 0));
        const names = ofLayer('road-name');
        assert.ok(names.length > 10 && names.every((b) => b.type === T.LABEL_STYLE_SEGMENTS));
        const places = ofLayer('place');
        assert.ok(places.length > 0 && places.every((b) => b.type === T.TEXT_DATA));
        assert.ok(ofLayer('poi').every((b) => b.type === T.POINTS));
        // Every request's blobs share its layer, and origins are tile corners.
        for (const r of pack.requests) {
            assert.ok(r.blobs.every((b) => b.layerId === r.blobs[0].layerId));
            assert.deepEqual([r.x, r.y], [0, 0]);
        }
    });
});

test('a block of tiles gets one cell per tile, north up', () => {
    const names = ['15-5238-12666.mvt', '15-5239-12666.mvt', '15-5238-12667.mvt'];
    const pack = convertTiles(names.map(loadTile));
    assert.equal(pack.grid.cellsInRow, 2);
    assert.equal(pack.grid.cellsInCol, 2);
    const size = pack.grid.bounds[2] / 2;
    const cells = pack.requests.filter((r) => r.blobs[0].type === T.CELL_POLYGON).map((r) => [r.blobs[0].cellIndex, r.x / size, r.y / size]);
    // Tile row 12667 lies south of 12666, so it is grid row 0.
    assert.deepEqual(cells.sort((a, b) => a[0] - b[0]), [[0, 0, 0], [1, 0, 1], [65537, 1, 1]]);
    assert.throws(() => convertTiles([loadTile(names[0]), {z: 14, x: 0, y: 0, data: new Uint8Array()}]), /zoom/);
});

// Mapbox Vector Tiles (Mapbox Streets v7 layers) to a blob pack.
//
// World space: a block of tiles of one zoom level, tile (minX, maxY) at the
// origin, x east and y north, in units of about a metre: a tile is
// `tileSize` units wide, by default the width of a tile on the ground at the
// block's centre latitude. The grid has one cell per tile. Each model request
// takes its tile's south-west corner as origin; payload coordinates are
// world coordinates rounded to tenths.
//
// Geometry is clipped to its tile, so features in the tiles' buffers are not
// drawn twice; labels and points outside their tile are dropped.

import {PbfReader} from 'pbf';
import {VectorTile} from '@mapbox/vector-tile';

import {classifyRings, cleanLine, cleanRing, clipLine, clipRing, fanCentre, isConvex, outlineRuns, stripFromTriangles, triangulate} from './geometry.js';
import {GeometryType as T, MAX_U16, fanPayload, indexedBlock, labelBlock, labelSegments, quantise, streamPayload, widthPathPayload} from './payload.js';

// Layer ids double as drawing order: the inspector draws ascending ids.
export const Layer = Object.freeze({
    cell: 1,
    landuse: 10,
    park: 11,
    water: 12,
    road: 20,
    tram: 21,
    railway: 22,
    bridge: 23,
    building: 30,
    poi: 40,
    'road-name': 50,
    place: 51,
});

// Text variant codes of labels; 0 is the local name, which the JVM bridge asks for.
export const NameVariants = Object.freeze([
    ['name', 0],
    ['name_en', 1],
    ['name_es', 2],
    ['name_fr', 3],
    ['name_de', 4],
    ['name_ru', 5],
    ['name_zh-Hans', 6],
    ['name_pt', 7],
    ['name_ar', 8],
    ['name_zh', 9],
]);

// Road classes of Mapbox Streets v7: [code (label category and style id), width in units].
export const RoadClass = Object.freeze({
    motorway: [1, 16],
    trunk: [2, 14],
    primary: [3, 12],
    secondary: [4, 11],
    tertiary: [5, 10],
    link: [6, 7],
    motorway_link: [6, 7],
    street: [7, 8],
    street_limited: [8, 6],
    pedestrian: [9, 5],
    construction: [10, 5],
    track: [11, 3],
    service: [12, 5],
    path: [14, 2],
});
const OTHER_ROAD = [0, 4];
const TRAM_WIDTH = 2;
const PARK_CLASSES = new Set(['park', 'pitch', 'grass', 'wood', 'scrub', 'cemetery', 'golf_course', 'national_park', 'wetland', 'wetland_noveg']);
const EARTH_CIRCUMFERENCE = 40075016.686;

export function parseTileName(name) {
    const m = /(\d+)-(\d+)-(\d+)\.mvt$/.exec(name);
    return m ? {z: Number(m[1]), x: Number(m[2]), y: Number(m[3])} : null;
}

// Width of a tile on the ground, in metres, at the latitude of tile row y + 0.5.
export function groundTileSize(z, y) {
    const n = Math.PI - (2 * Math.PI * (y + 0.5)) / 2 ** z;
    const lat = Math.atan(Math.sinh(n));
    return (EARTH_CIRCUMFERENCE * Math.cos(lat)) / 2 ** z;
}

// tiles: [{z, x, y, data: Uint8Array}] of one zoom level.
export function convertTiles(tiles, {tileSize} = {}) {
    if (tiles.length === 0) throw new Error('no tiles');
    const z = tiles[0].z;
    if (tiles.some((t) => t.z !== z)) throw new Error('tiles of different zoom levels');
    const minX = Math.min(...tiles.map((t) => t.x));
    const maxX = Math.max(...tiles.map((t) => t.x));
    const minY = Math.min(...tiles.map((t) => t.y));
    const maxY = Math.max(...tiles.map((t) => t.y));
    const size = tileSize ?? groundTileSize(z, (minY + maxY + 1) / 2 - 0.5);
    const cols = maxX - minX + 1;
    const rows = maxY - minY + 1;
    if (cols > 65536 || rows > 65536) throw new Error('too many tiles for the grid');

    const pack = {
        grid: {cellsInRow: cols, cellsInCol: rows, bounds: [0, 0, cols * size, rows * size]},
        layerNames: new Map(Object.entries(Layer).map(([name, id]) => [id, name])),
        requests: [],
    };
    const ids = {next: 1n};
    const ordered = [...tiles].sort((a, b) => b.y - a.y || a.x - b.x);
    for (const tile of ordered) {
        const column = tile.x - minX;
        const row = maxY - tile.y;
        convertTile(tile, {column, row, size, cellIndex: column * 65536 + row}, pack.requests, ids);
    }
    return pack;
}

function convertTile(tile, {column, row, size, cellIndex}, requests, ids) {
    const vt = new VectorTile(new PbfReader(tile.data));
    const ox = column * size;
    const oy = row * size;
    const box = [ox, oy, ox + size, oy + size];
    const inside = ([x, y]) => x >= box[0] && x < box[2] && y >= box[1] && y < box[3];
    // Cleaned rings have the box's sides rounded as their points are.
    const cut = box.map(quantise);

    const request = (layer, blobs) => {
        if (blobs.length === 0) return;
        requests.push({
            x: ox,
            y: oy,
            blobs: blobs.map(([type, payload]) => ({id: ids.next++, type, layerId: Layer[layer], cellIndex, payload})),
        });
    };
    const features = function* (name, type) {
        const layer = vt.layers[name];
        if (!layer) return;
        const scale = size / layer.extent;
        const toWorld = (p) => [ox + p.x * scale, oy + (layer.extent - p.y) * scale];
        for (let i = 0; i < layer.length; ++i) {
            const feature = layer.feature(i);
            if (feature.type !== type) continue;
            yield {props: feature.properties, geometry: feature.loadGeometry().map((part) => part.map(toWorld))};
        }
    };
    // Vector tiles run outer rings clockwise as seen on a north-up map;
    // reversed, they run counter-clockwise, as the builders want them.
    const polygons = (geometry) => classifyRings(geometry.map((ring) => cleanRing(clipRing(ring, box)).reverse()));
    const lines = (geometry) => geometry.flatMap((line) => clipLine(line, box)).map(cleanLine).filter((l) => l.length >= 2);

    request('cell', [[T.CELL_POLYGON, new Uint8Array(0)]]);

    for (const {props, geometry} of features('landuse', 3)) {
        const layer = PARK_CLASSES.has(props.class) ? 'park' : 'landuse';
        request(layer, polygons(geometry).flatMap((p) => areaBlobs(T.INDEXED_FLAT_TRIANGLE_STRIPS, p, 0, cut)));
    }
    for (const {geometry} of features('landuse_overlay', 3)) {
        request('park', polygons(geometry).flatMap((p) => areaBlobs(T.INDEXED_FLAT_TRIANGLE_STRIPS, p, 0, cut)));
    }
    for (const {geometry} of features('water', 3)) {
        request('water', polygons(geometry).flatMap((p) => areaBlobs(T.INDEXED_FLAT_TRIANGLE_STRIPS, p, 0, cut)));
    }

    for (const {props, geometry} of features('road', 2)) {
        if (props.structure === 'tunnel') continue;  // underground: not drawn on the surface
        for (const line of lines(geometry)) {
            if (props.class === 'major_rail' || props.class === 'minor_rail' || props.class === 'service_rail') {
                if (props.type === 'tram') request('tram', [[T.TRAM_PATH, widthPathPayload(TRAM_WIDTH, line)]]);
                else request('railway', [[T.RAILROAD_PATH, widthPathPayload(0, line)]]);
                continue;
            }
            const [, width] = RoadClass[props.class] ?? OTHER_ROAD;
            request('road', [[T.ROAD_PATH, widthPathPayload(width, line)]]);
            if (props.structure === 'bridge') {
                // The bridge's edge bands stand 2 units outside the offset w.
                request('bridge', [[T.BRIDGE, widthPathPayload(Math.round(width / 2), line)]]);
            }
        }
    }

    for (const {props, geometry} of features('building', 3)) {
        if (props.underground === 'true' || props.underground === true) continue;
        const height = Math.max(0, Number(props.height) || 0);
        request('building', polygons(geometry).flatMap((p) => buildingBlobs(p, height)));
    }

    const poi = [];
    for (const {geometry} of features('poi_label', 1)) {
        for (const point of geometry.flat()) if (inside(point)) poi.push(point);
    }
    if (poi.length > 0) request('poi', [[T.POINTS, streamPayload(poi)]]);

    for (const {props, geometry} of features('road_label', 2)) {
        const [code] = RoadClass[props.class] ?? OTHER_ROAD;
        const pieces = lines(geometry);
        const elements = [];
        for (const {variant, text} of nameVariants(props)) {
            for (const points of pieces) {
                if (points.length > MAX_U16) continue;
                elements.push({variant, category: code, styleId: code, code: Number(props.localrank) || 0, kind: 1, text, points});
            }
        }
        if (elements.length > 0) request('road-name', [[T.LABEL_STYLE_SEGMENTS, labelSegments(elements)]]);
    }

    for (const {props, geometry} of features('place_label', 1)) {
        const texts = nameVariants(props);
        for (const point of geometry.flat()) {
            if (texts.length > 0 && inside(point)) request('place', [[T.TEXT_DATA, labelBlock(point, texts)]]);
        }
    }
}

// The local name first (variant 0), then the translations that differ from
// it: a host that wants a language asks for its variant and 0, and gets the
// local name where the translation would repeat it. (Text labels fall back
// to variant 0 by themselves.) Most names of a city have no translation, so
// this keeps packs small.
export function nameVariants(props) {
    const local = props.name;
    if (typeof local !== 'string' || local.length === 0) return [];
    const texts = [{variant: 0, text: local}];
    for (const [key, variant] of NameVariants.slice(1)) {
        const text = props[key];
        if (typeof text === 'string' && text.length > 0 && text !== local) texts.push({variant, text});
    }
    return texts;
}

// A building: convex outlines as a fan around a corner, star-shaped ones as
// a fan around their centroid, everything else (and anything with
// courtyards) triangulated into an indexed strip.
export function buildingBlobs({outer, holes}, height) {
    if (holes.length === 0) {
        if (isConvex(outer)) return [[T.ON_POLYGON_TRIANGLE_FAN, fanPayload(height, [...outer, outer[0]])]];
        const centre = fanCentre(outer);
        if (centre) return [[T.TRIANGLE_FAN, fanPayload(height, [centre, ...outer])]];
    }
    return areaBlobs(T.INDEXED_TRIANGLE_STRIPS, {outer, holes}, height);
}

// An area as indexed blocks: the triangles as a strip with the outer ring
// as outline; each hole as a block of its own without triangles, so that
// its ring gets its outline (and, extruded, its walls) without a line
// joining it to the outer ring. Areas beyond the u16 counts of one block are
// cut into several. With `cut` (the tile's box, rounded to tenths) the edges
// where the tile cut the area get no outline: the outline is the runs of
// edges between them, the first in the triangles' block, the others in
// blocks of their own.
export function areaBlobs(type, {outer, holes}, height, cut = null) {
    const {vertices, triangles} = triangulate(outer, holes);
    const blobs = [];
    const strip = stripFromTriangles(triangles);
    const runs = outlineRuns(outer, cut);
    if (vertices.length <= MAX_U16 && strip.length <= MAX_U16) {
        blobs.push([type, indexedBlock({vertices, strip, outline: runs[0] ?? [], height})]);
        for (const run of runs.slice(1)) blobs.push(...ringBlobs(type, run.map((i) => outer[i]), height));
    } else {
        for (const chunk of chunkTriangles(vertices, triangles)) blobs.push([type, indexedBlock({...chunk, height})]);
        for (const run of runs) blobs.push(...ringBlobs(type, run.map((i) => outer[i]), height));
    }
    for (const hole of holes) {
        for (const run of outlineRuns(hole, cut)) blobs.push(...ringBlobs(type, run.map((i) => hole[i]), height));
    }
    return blobs;
}

// Outline-only blocks of a run of points, in pieces that share their end points.
function ringBlobs(type, run, height) {
    const blobs = [];
    for (let start = 0; start < run.length - 1; start += MAX_U16 - 1) {
        const piece = run.slice(start, start + MAX_U16);
        blobs.push([type, indexedBlock({vertices: piece, outline: [...piece.keys()], height})]);
    }
    return blobs;
}

// Triangles in runs whose vertices and strip fit the u16 counts of a block.
function chunkTriangles(vertices, triangles) {
    const chunks = [];
    let local = new Map();
    let run = [];
    const flush = () => {
        if (run.length === 0) return;
        const order = [...local.keys()];
        chunks.push({vertices: order.map((i) => vertices[i]), strip: stripFromTriangles(run)});
        local = new Map();
        run = [];
    };
    for (const triangle of triangles) {
        // A triangle adds at most 3 vertices and 6 strip indices.
        if (local.size + 3 > MAX_U16 || (run.length + 1) * 6 > MAX_U16) flush();
        run.push(triangle.map((i) => {
            if (!local.has(i)) local.set(i, local.size);
            return local.get(i);
        }));
    }
    flush();
    return chunks;
}

// Blob payload encoders: the vertex stream, the indexed vertex block, the
// label block and the label segments, with the per-type prefixes.
//
// Coordinates are rounded to tenths of a unit before they are written. Delta
// values are in tenths, so rounded coordinates give exact integer deltas.
// The library adds them up in single precision, whose rounding can drift
// along a long chain (a unit after some ten thousand steps near 3000), so
// delta encoding is used only when every step fits an int16 and that running
// sum, replayed here, stays within MAX_DRIFT of every point; otherwise the
// points are written as plain floats.

import {ByteWriter} from './bytes.js';

export const GeometryType = Object.freeze({
    TRIANGLE_STRIPS: 1,
    INDEXED_TRIANGLE_STRIPS: 2,
    FLAT_TRIANGLE_STRIP: 3,
    INDEXED_FLAT_TRIANGLE_STRIPS: 4,
    FLAT_LINE_STRIP: 5,
    LINES: 6,
    INDEXED_LINES: 7,
    POINTS: 8,
    TEXT_DATA: 9,
    RAILROAD_PATH: 10,
    TRAM_PATH: 11,
    ROAD_PATH: 12,
    BRIDGE: 13,
    FLAT_TRIANGLE_FAN: 14,
    TRIANGLE_FAN: 15,
    ON_POLYGON_FLAT_TRIANGLE_FAN: 16,
    ON_POLYGON_TRIANGLE_FAN: 17,
    CELL_POLYGON: 18,
    LABEL_STYLE_SEGMENTS: 101,
});

export const MAX_U16 = 0xffff;
const INDEX_BYTES = 1;
const OUTLINE_BYTES = 2;
const DELTA_VERTICES = 4;
const encoder = new TextEncoder();

export function tenths(v) {
    const t = Math.round(v * 10);
    if (!Number.isSafeInteger(t)) throw new RangeError(`coordinate ${v} is not finite or too large`);
    return t;
}

export const quantise = (v) => tenths(v) / 10;

export const MAX_DRIFT = 0.01;
const f32 = Math.fround;

// Per-component steps in tenths, or null when delta encoding would not
// reproduce the points (see above).
function deltas(points) {
    const out = [];
    const running = [f32(quantise(points[0][0])), f32(quantise(points[0][1]))];
    for (let i = 1; i < points.length; ++i) {
        for (let c = 0; c < 2; ++c) {
            const d = tenths(points[i][c]) - tenths(points[i - 1][c]);
            if (d < -0x8000 || d > 0x7fff) return null;
            running[c] = f32(running[c] + f32(d / 10));
            if (Math.abs(running[c] - quantise(points[i][c])) > MAX_DRIFT) return null;
            out.push(d);
        }
    }
    return out;
}

function writePoints(w, points, steps) {
    if (steps) {
        w.f32(quantise(points[0][0])).f32(quantise(points[0][1]));
        for (const d of steps) w.i16(d);
    } else {
        for (const [x, y] of points) w.f32(quantise(x)).f32(quantise(y));
    }
}

// 2D vertex stream: encoding byte (0 plain, 1 delta), then the points.
export function vertexStream(points, w = new ByteWriter()) {
    const steps = points.length > 0 ? deltas(points) : null;
    w.u8(steps ? 1 : 0);
    writePoints(w, points, steps);
    return w;
}

export const streamPayload = (points) => vertexStream(points).result();

// u8 prefix (a width) then a vertex stream: ROAD_PATH, TRAM_PATH, BRIDGE,
// RAILROAD_PATH (whose prefix is not read).
export function widthPathPayload(width, points) {
    return vertexStream(points, new ByteWriter().u8(width)).result();
}

// u16 height in tenths then a vertex stream: TRIANGLE_FAN, ON_POLYGON_TRIANGLE_FAN.
export function fanPayload(height, points) {
    return vertexStream(points, new ByteWriter().u16(heightTenths(height))).result();
}

export function heightTenths(height) {
    return Math.min(MAX_U16, Math.max(0, Math.round(height * 10)));
}

// Indexed vertex block (2D): vertices, a strip of indices into them and an
// outline (a line strip of indices), with a height.
export function indexedBlock({vertices, strip = [], outline = [], height = 0}) {
    if (vertices.length === 0 || vertices.length > MAX_U16) {
        throw new RangeError(`an indexed block holds 1..${MAX_U16} vertices, not ${vertices.length}`);
    }
    if (strip.length > MAX_U16) throw new RangeError(`strip of ${strip.length} indices`);
    const inRange = (i) => Number.isInteger(i) && i >= 0 && i < vertices.length;
    if (!strip.every(inRange) || !outline.every(inRange)) throw new RangeError('index out of range');

    const steps = deltas(vertices);
    const byteIndices = strip.every((i) => i < 256);
    const byteOutline = outline.every((i) => i < 256);
    const flags = (byteIndices ? INDEX_BYTES : 0) | (byteOutline ? OUTLINE_BYTES : 0) | (steps ? DELTA_VERTICES : 0);

    const w = new ByteWriter();
    w.u16(vertices.length).u16(strip.length).u16(heightTenths(height)).u8(flags);
    writePoints(w, vertices, steps);
    for (const i of strip) byteIndices ? w.u8(i) : w.u16(i);
    for (const i of outline) byteOutline ? w.u8(i) : w.u16(i);
    return w.result();
}

// Cuts UTF-8 text to at most `max` bytes without splitting a character.
export function utf8Prefix(text, max) {
    let bytes = encoder.encode(text);
    if (bytes.length <= max) return bytes;
    let end = max;
    while (end > 0 && (bytes[end] & 0xc0) === 0x80) --end;
    return bytes.subarray(0, end);
}

// TEXT_DATA: the anchor, then texts; the first text has no variant field
// (it is variant 0), each further one a u16 variant.
export function labelBlock([x, y], texts) {
    const w = new ByteWriter();
    w.f32(quantise(x)).f32(quantise(y));
    texts.forEach(({variant, text}, i) => {
        if (i > 0) w.u16(variant);
        const bytes = utf8Prefix(text, 255);
        w.u8(bytes.length).bytes(bytes);
    });
    return w.result();
}

// LABEL_STYLE_SEGMENTS: groups of at most 65535 elements. Each element: u32 n = 0 (no
// extra values), 4 unused bytes, u16 variant, u8 category, i32 styleId,
// i32 code, u8 kind, u16 text length, u16 point count, text, points.
export function labelSegments(elements) {
    const w = new ByteWriter();
    elements.forEach((e, i) => {
        if (i % MAX_U16 === 0) w.u16(Math.min(MAX_U16, elements.length - i));
        const text = utf8Prefix(e.text, MAX_U16);
        if (e.points.length > MAX_U16) throw new RangeError(`segment of ${e.points.length} points`);
        w.u32(0).u32(0);
        w.u16(e.variant).u8(e.category).i32(e.styleId).i32(e.code).u8(e.kind);
        w.u16(text.length).u16(e.points.length).bytes(text);
        for (const [x, y] of e.points) w.f32(quantise(x)).f32(quantise(y));
    });
    return w.result();
}

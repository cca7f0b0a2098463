// What the library makes of a payload, written from the payload layout and
// the builders' triangle rules, independently of the encoders: decoders in
// single precision, then the triangles of strips and fans.

import {ByteReader} from '../src/bytes.js';
import {GeometryType as T} from '../src/payload.js';

const f = Math.fround;

export function decodeStream(r) {
    const encoding = r.u8('encoding');
    const points = [];
    if (encoding === 0) {
        while (r.remaining >= 8) points.push([r.f32(), r.f32()]);
        return points;
    }
    if (r.remaining < 8) return points;
    let x = r.f32();
    let y = r.f32();
    points.push([x, y]);
    while (r.remaining >= 4) {
        x = f(x + f(r.i16() / 10));
        y = f(y + f(r.i16() / 10));
        points.push([x, y]);
    }
    return points;
}

export function decodeIndexed(r) {
    const vertexCount = r.u16();
    const indexCount = r.u16();
    const height = f(r.u16() / 10);
    const flags = r.u8();
    const vertices = [];
    if (flags & 4) {
        let x = r.f32();
        let y = r.f32();
        vertices.push([x, y]);
        for (let i = 1; i < vertexCount; ++i) {
            x = f(x + f(r.i16() / 10));
            y = f(y + f(r.i16() / 10));
            vertices.push([x, y]);
        }
    } else {
        for (let i = 0; i < vertexCount; ++i) vertices.push([r.f32(), r.f32()]);
    }
    const strip = [];
    for (let i = 0; i < indexCount; ++i) strip.push(flags & 1 ? r.u8() : r.u16());
    const outline = [];
    while (r.remaining > 0 && (flags & 2 || r.remaining >= 2)) outline.push(flags & 2 ? r.u8() : r.u16());
    return {vertices, strip, outline, height};
}

const same = (a, b) => a[0] === b[0] && a[1] === b[1];

export function fanTriangles(fan) {
    const out = [];
    if (fan.length < 3) return out;
    for (let i = 2; i < fan.length; ++i) out.push([fan[0], fan[i - 1], fan[i]]);
    if (!same(fan[0], fan[fan.length - 1])) out.push([fan[0], fan[fan.length - 1], fan[1]]);
    return out;
}

export function stripTriangles(points) {
    const out = [];
    for (let k = 0; k + 2 < points.length; ++k) {
        out.push(k % 2 === 0 ? [points[k], points[k + 1], points[k + 2]] : [points[k + 1], points[k], points[k + 2]]);
    }
    return out;
}

export const triangleArea = ([a, b, c]) => ((b[0] - a[0]) * (c[1] - a[1]) - (c[0] - a[0]) * (b[1] - a[1])) / 2;

// The roof or area triangles, closed outline ring, points and height of one blob;
// null for types without such geometry.
export function decodeBlob(type, payload) {
    const r = new ByteReader(payload);
    switch (type) {
        case T.TRIANGLE_FAN:
        case T.ON_POLYGON_TRIANGLE_FAN: {
            const height = f(r.u16() / 10);
            const fan = decodeStream(r);
            // The builders close an open ring with an extra edge.
            const ring = type === T.TRIANGLE_FAN ? fan.slice(1) : [...fan];
            if (ring.length > 0 && !same(ring[0], ring[ring.length - 1])) ring.push(ring[0]);
            return {triangles: fanTriangles(fan), points: fan, ring, height};
        }
        case T.INDEXED_TRIANGLE_STRIPS:
        case T.INDEXED_FLAT_TRIANGLE_STRIPS: {
            const {vertices, strip, outline, height} = decodeIndexed(r);
            const triangles = stripTriangles(strip.map((i) => vertices[i]));
            return {triangles, points: vertices, ring: outline.map((i) => vertices[i]), height, strip, outline};
        }
        case T.POINTS:
            return {triangles: [], points: decodeStream(r), ring: [], height: 0};
        case T.ROAD_PATH:
        case T.RAILROAD_PATH:
        case T.TRAM_PATH:
        case T.BRIDGE: {
            const width = r.u8();
            return {triangles: [], points: decodeStream(r), ring: [], height: 0, width};
        }
        default:
            return null;
    }
}

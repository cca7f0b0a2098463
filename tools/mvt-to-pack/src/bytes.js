// Little-endian byte writer and bounds-checked reader, unaligned, as the blob
// payloads and the pack file lay their fields out.

export class ByteWriter {
    constructor(capacity = 256) {
        this.buffer = new Uint8Array(capacity);
        this.view = new DataView(this.buffer.buffer);
        this.length = 0;
    }

    reserve(n) {
        if (this.length + n <= this.buffer.length) return;
        let capacity = this.buffer.length * 2;
        while (capacity < this.length + n) capacity *= 2;
        const grown = new Uint8Array(capacity);
        grown.set(this.buffer.subarray(0, this.length));
        this.buffer = grown;
        this.view = new DataView(grown.buffer);
    }

    u8(v) { return this.put(1, (at) => this.view.setUint8(at, checkInt(v, 0, 0xff))); }
    u16(v) { return this.put(2, (at) => this.view.setUint16(at, checkInt(v, 0, 0xffff), true)); }
    i16(v) { return this.put(2, (at) => this.view.setInt16(at, checkInt(v, -0x8000, 0x7fff), true)); }
    u32(v) { return this.put(4, (at) => this.view.setUint32(at, checkInt(v, 0, 0xffffffff), true)); }
    i32(v) { return this.put(4, (at) => this.view.setInt32(at, checkInt(v, -0x80000000, 0x7fffffff), true)); }
    u64(v) { return this.put(8, (at) => this.view.setBigUint64(at, BigInt(v), true)); }
    f32(v) { return this.put(4, (at) => this.view.setFloat32(at, v, true)); }
    f64(v) { return this.put(8, (at) => this.view.setFloat64(at, v, true)); }

    bytes(data) {
        this.reserve(data.length);
        this.buffer.set(data, this.length);
        this.length += data.length;
        return this;
    }

    put(n, write) {
        this.reserve(n);
        write(this.length);
        this.length += n;
        return this;
    }

    result() {
        return this.buffer.slice(0, this.length);
    }
}

// Out-of-range values would wrap silently in a DataView; a converter bug
// must not turn into a plausible but wrong payload.
function checkInt(v, lo, hi) {
    if (!Number.isInteger(v) || v < lo || v > hi) throw new RangeError(`${v} does not fit ${lo}..${hi}`);
    return v;
}

export class ByteReader {
    constructor(bytes) {
        this.bytes = bytes;
        this.view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
        this.pos = 0;
    }

    get remaining() { return this.bytes.length - this.pos; }

    need(n, what) {
        if (n > this.remaining) {
            throw new RangeError(`truncated: ${what} needs ${n} bytes at ${this.pos}, ${this.remaining} remain`);
        }
        const at = this.pos;
        this.pos += n;
        return at;
    }

    u8(what = 'u8') { return this.view.getUint8(this.need(1, what)); }
    u16(what = 'u16') { return this.view.getUint16(this.need(2, what), true); }
    i16(what = 'i16') { return this.view.getInt16(this.need(2, what), true); }
    u32(what = 'u32') { return this.view.getUint32(this.need(4, what), true); }
    i32(what = 'i32') { return this.view.getInt32(this.need(4, what), true); }
    u64(what = 'u64') { return this.view.getBigUint64(this.need(8, what), true); }
    f32(what = 'f32') { return this.view.getFloat32(this.need(4, what), true); }
    f64(what = 'f64') { return this.view.getFloat64(this.need(8, what), true); }
    take(n, what = 'bytes') {
        const at = this.need(n, what);
        return this.bytes.subarray(at, at + n);
    }
}

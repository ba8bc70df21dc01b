// The .zip archives of "Esporta tutti" and "Importa": every character sheet
// (.pg) in one file. The page writes its archives without compression (a
// sheet is a few hundred bytes) and reads those of the ordinary tools, stored
// or deflated, in the classic format: no ZIP64, no encryption, one part.

const LOCAL = 0x04034b50;
const CENTRAL = 0x02014b50;
const END = 0x06054b50;
const ZIP64_LOCATOR = 0x07064b50;

const LOCAL_SIZE = 30;
const CENTRAL_SIZE = 46;
const END_SIZE = 22;

const ENCRYPTED = 0x0001;
const UTF8_NAME = 0x0800;
const STORED = 0;
const DEFLATED = 8;
// 1.0 for a stored file; 2.0 (on MS-DOS, attributes left empty) as the
// version that made the archive.
const VERSION_NEEDED = 10;
const VERSION_MADE_BY = 20;

// The classic format's largest count and offset; the largest of each also
// means "look in the ZIP64 record".
const MAX_ENTRIES = 0xffff;
const MAX_OFFSET = 0xffffffff;

// What a reading may unpack, so that a small archive cannot fill the memory:
// a sheet is a few hundred bytes, and a hundred thousand of them still fit.
const MAX_ENTRY = 16 * 1024 * 1024;
const MAX_TOTAL = 64 * 1024 * 1024;

const utf8 = new TextEncoder();
const fromUtf8 = new TextDecoder('utf-8');

const strictUtf8 = new TextDecoder('utf-8', { fatal: true });

// Code page 437 from 0x80 up, the names' encoding when an entry does not
// declare UTF-8 (below 0x80 it is ASCII).
const CP437 =
  'ÇüéâäàåçêëèïîìÄÅÉæÆôöòûùÿÖÜ¢£¥₧ƒáíóúñÑªº¿⌐¬½¼¡«»░▒▓│┤╡╢╖╕╣║╗╝╜╛┐' +
  '└┴┬├─┼╞╟╚╔╩╦╠═╬╧╨╤╥╙╘╒╓╫╪┘┌█▄▌▐▀αßΓπΣσµτΦΘΩδ∞φε∩≡±≥≤⌠⌡÷≈°∙·√ⁿ²■\u00a0';

let crcTable;

function crc32(bytes) {
  if (!crcTable) {
    crcTable = new Uint32Array(256);
    for (let n = 0; n < 256; ++n) {
      let c = n;
      for (let k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
      crcTable[n] = c;
    }
  }
  let crc = 0xffffffff;
  for (let i = 0; i < bytes.length; ++i) crc = crcTable[(crc ^ bytes[i]) & 0xff] ^ (crc >>> 8);
  return (crc ^ 0xffffffff) >>> 0;
}

// The MS-DOS time and date of `date`, in local time as the format has no
// zone; a date out of the years the format holds (1980 to 2107) becomes the
// nearest it holds.
function dosDateTime(date) {
  const year = date.getFullYear();
  if (year < 1980) return { time: 0, day: (1 << 5) | 1 };
  if (year > 2107) return { time: (23 << 11) | (59 << 5) | 29, day: (127 << 9) | (12 << 5) | 31 };
  return {
    time: (date.getHours() << 11) | (date.getMinutes() << 5) | (date.getSeconds() >> 1),
    day: ((year - 1980) << 9) | ((date.getMonth() + 1) << 5) | date.getDate(),
  };
}

// `files` is [{name, bytes, date?}]; each is stored as it is, its name in
// UTF-8, dated `date` or now.
export function makeZip(files) {
  if (files.length > MAX_ENTRIES) throw new Error(`un archivio .zip contiene al massimo ${MAX_ENTRIES} file`);
  const now = new Date();
  const entries = files.map(({ name, bytes, date }) => {
    const encoded = utf8.encode(name);
    if (encoded.length > 0xffff) throw new Error(`il nome «${name.slice(0, 40)}…» è troppo lungo per un archivio .zip`);
    const valid = date instanceof Date && !Number.isNaN(date.getTime());
    return { name: encoded, bytes, crc: crc32(bytes), ...dosDateTime(valid ? date : now) };
  });

  let local = 0;
  let central = 0;
  for (const entry of entries) {
    entry.offset = local;
    local += LOCAL_SIZE + entry.name.length + entry.bytes.length;
    central += CENTRAL_SIZE + entry.name.length;
  }
  // Within this every offset and size is below the largest, which would
  // mean ZIP64.
  if (local + central + END_SIZE > MAX_OFFSET) throw new Error("l'archivio .zip supererebbe i 4 GB");

  const zip = new Uint8Array(local + central + END_SIZE);
  const view = new DataView(zip.buffer);
  let at = 0;
  const u16 = (value) => {
    view.setUint16(at, value, true);
    at += 2;
  };
  const u32 = (value) => {
    view.setUint32(at, value, true);
    at += 4;
  };
  const put = (bytes) => {
    zip.set(bytes, at);
    at += bytes.length;
  };
  // The fields a local header and the central directory share, from the
  // version needed to the extra field's length.
  const common = (entry) => {
    u16(VERSION_NEEDED);
    u16(UTF8_NAME);
    u16(STORED);
    u16(entry.time);
    u16(entry.day);
    u32(entry.crc);
    u32(entry.bytes.length);
    u32(entry.bytes.length);
    u16(entry.name.length);
    u16(0);
  };

  for (const entry of entries) {
    u32(LOCAL);
    common(entry);
    put(entry.name);
    put(entry.bytes);
  }
  for (const entry of entries) {
    u32(CENTRAL);
    u16(VERSION_MADE_BY);
    common(entry);
    u16(0); // comment
    u16(0); // disk
    u16(0); // internal attributes
    u32(0); // external attributes
    u32(entry.offset);
    put(entry.name);
  }
  u32(END);
  u16(0); // this disk
  u16(0); // the disk of the central directory
  u16(entries.length);
  u16(entries.length);
  u32(central);
  u32(local);
  u16(0); // comment
  return zip;
}

// Whether `bytes` look like a .zip: a first file's header, or the end record
// of an archive with no file.
export function isZip(bytes) {
  if (bytes.length < 4 || bytes[0] !== 0x50 || bytes[1] !== 0x4b) return false;
  return (bytes[2] === 3 && bytes[3] === 4) || (bytes[2] === 5 && bytes[3] === 6);
}

function damaged(what) {
  return new Error(`l'archivio .zip è danneggiato: ${what}`);
}

// A name flagged as UTF-8 is UTF-8. One that is not is code page 437, as the
// format says, unless it reads as UTF-8: the archives of macOS's Finder have
// UTF-8 names without the flag, and a real name in code page 437 seldom
// happens to read as UTF-8.
function decodeName(raw, flaggedUtf8) {
  if (flaggedUtf8) return fromUtf8.decode(raw);
  try {
    return strictUtf8.decode(raw);
  } catch {
    // Code page 437, then.
  }
  let name = '';
  for (const byte of raw) name += byte < 0x80 ? String.fromCharCode(byte) : CP437[byte - 0x80];
  return name;
}

// The end record: the last signature, scanning back from the end, whose
// comment ends within the archive.
function findEnd(view) {
  const last = view.byteLength - END_SIZE;
  for (let at = last; at >= 0 && at >= last - 0xffff; --at) {
    if (view.getUint32(at, true) === END && at + END_SIZE + view.getUint16(at + 20, true) <= view.byteLength) return at;
  }
  throw damaged("manca l'indice dei file");
}

// The files of the archive `bytes`, as [{name, bytes}] in the archive's
// order, names as the archive gives them (folders included); folders
// themselves are left out. `maxEntry` and `maxTotal` bound the bytes one file
// and all files may unpack to.
export async function readZip(bytes, { maxEntry = MAX_ENTRY, maxTotal = MAX_TOTAL } = {}) {
  const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
  const u16 = (at) => view.getUint16(at, true);
  const u32 = (at) => view.getUint32(at, true);

  const end = findEnd(view);
  const count = u16(end + 10);
  const directorySize = u32(end + 12);
  const directory = u32(end + 16);
  if ((end >= 20 && u32(end - 20) === ZIP64_LOCATOR) || directorySize === MAX_OFFSET || directory === MAX_OFFSET) {
    throw new Error("l'archivio .zip è nel formato ZIP64, che la pagina non legge");
  }
  if (u16(end + 4) !== 0 || u16(end + 6) !== 0 || u16(end + 8) !== count) {
    throw new Error("l'archivio .zip è diviso in più parti, che la pagina non legge");
  }
  const directoryEnd = directory + directorySize;
  if (directoryEnd > end) throw damaged("l'indice dei file va oltre la fine dell'archivio");

  // Every entry is checked before any is unpacked.
  const entries = [];
  let total = 0;
  for (let at = directory, i = 0; i < count; ++i) {
    if (at + CENTRAL_SIZE > directoryEnd || u32(at) !== CENTRAL) throw damaged("l'indice dei file è interrotto");
    const flags = u16(at + 8);
    const nameLength = u16(at + 28);
    const next = at + CENTRAL_SIZE + nameLength + u16(at + 30) + u16(at + 32);
    if (next > directoryEnd) throw damaged("l'indice dei file è interrotto");
    const entry = {
      name: decodeName(bytes.subarray(at + CENTRAL_SIZE, at + CENTRAL_SIZE + nameLength), flags & UTF8_NAME),
      method: u16(at + 10),
      crc: u32(at + 16),
      packed: u32(at + 20),
      size: u32(at + 24),
      offset: u32(at + 42),
    };
    at = next;
    if (entry.name.endsWith('/')) continue;
    if (flags & ENCRYPTED) throw new Error("l'archivio .zip è protetto da una password, che la pagina non conosce");
    if (entry.packed === MAX_OFFSET || entry.size === MAX_OFFSET || entry.offset === MAX_OFFSET) {
      throw new Error("l'archivio .zip è nel formato ZIP64, che la pagina non legge");
    }
    if (entry.method !== STORED && entry.method !== DEFLATED) {
      throw new Error("l'archivio .zip usa una compressione che la pagina non legge");
    }
    if (entry.size > maxEntry) throw new Error(`l'archivio .zip contiene un file troppo grande: «${entry.name}»`);
    total += entry.size;
    if (total > maxTotal) throw new Error("l'archivio .zip contiene più dati di quanti la pagina ne legga");
    entries.push(entry);
  }

  const files = [];
  for (const { name, method, crc, packed, size, offset } of entries) {
    // The local header, whose sizes may be left to a descriptor after the
    // data: those of the central directory are the ones read.
    if (offset + LOCAL_SIZE > directory || u32(offset) !== LOCAL) {
      throw damaged(`il file «${name}» non è dove l'indice lo pone`);
    }
    const start = offset + LOCAL_SIZE + u16(offset + 26) + u16(offset + 28);
    if (start + packed > directory) throw damaged(`il file «${name}» va oltre la fine dei dati`);
    const data = bytes.subarray(start, start + packed);
    let content;
    if (method === STORED) {
      if (packed !== size) throw damaged(`il file «${name}» non ha la lunghezza che l'indice dichiara`);
      content = data.slice();
    } else {
      content = size === 0 && packed === 0 ? new Uint8Array(0) : await inflate(data, size, name);
    }
    if (crc32(content) !== crc) throw damaged(`il file «${name}» non corrisponde al suo codice di controllo`);
    files.push({ name, bytes: content });
  }
  return files;
}

// The `size` bytes that `data` (raw deflate) unpacks to; more or fewer is a
// damaged file, and unpacking stops at the first byte beyond `size`.
async function inflate(data, size, name) {
  if (typeof DecompressionStream !== 'function') {
    throw new Error('questo browser non sa leggere gli archivi .zip compressi');
  }
  const reader = new Blob([data]).stream().pipeThrough(new DecompressionStream('deflate-raw')).getReader();
  const content = new Uint8Array(size);
  let length = 0;
  let longer = false;
  try {
    for (;;) {
      const { done, value } = await reader.read();
      if (done) break;
      longer = value.length > size - length;
      if (longer) break;
      content.set(value, length);
      length += value.length;
    }
  } catch {
    throw damaged(`il file «${name}» non si lascia decomprimere`);
  }
  if (longer) reader.cancel().catch(() => {});
  if (longer || length !== size) throw damaged(`il file «${name}» non ha la lunghezza che l'indice dichiara`);
  return content;
}

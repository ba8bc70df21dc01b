// The printable sheet: the character on one A4 page, laid out as the
// desktop prints it. Every text comes from the core; here it only finds its
// place. Texts go in as text, never as markup.

import { el } from './dom.js';

const PX_PER_MM = 96 / 25.4;
const SEPARATOR = ' / ';
// The archetypes' box: its width for text, in millimetres, and the size of
// its type, in points.
const ARCHETYPES_WIDTH = 78 - 2 * 1.2 - 0.4;
const VALUE_POINTS = 11;
const NUMBER_POINTS = 9.5;
const CELL_PADDING = 2 * 1.2;

// The width of a text in millimetres, `points` big in the sheet's type.
let measure = () => 0;

function measurer(target) {
  const context = document.createElement('canvas').getContext('2d');
  const family = getComputedStyle(target).fontFamily;
  return (text, points, bold = false) => {
    context.font = `${bold ? 'bold ' : ''}${points}pt ${family}`;
    return context.measureText(text).width / PX_PER_MM;
  };
}

// The lines of names sharing a box `width` millimetres wide, and the size of
// their type: joined by " / " on one line when they fit, a little smaller if
// need be; else on two lines in smaller type, split where the wider line is
// narrowest; else one name a line. No name is left out; one wider than the
// box alone ends in "…".
export function nameLines(names, width, points, widthOf) {
  const joined = names.join(SEPARATOR);
  for (const size of [points, points * 0.8]) {
    if (widthOf(joined, size) <= width) return { lines: [joined], points: size };
  }
  const small = points * 0.75;
  let best = null;
  let bestWidth = width;
  for (let k = 1; k < names.length; ++k) {
    const lines = [`${names.slice(0, k).join(SEPARATOR)} /`, names.slice(k).join(SEPARATOR)];
    const widest = Math.max(...lines.map((line) => widthOf(line, small)));
    if (widest <= bestWidth) {
      bestWidth = widest;
      best = lines;
    }
  }
  return { lines: best ?? [...names], points: small };
}

// A number too wide for its cell is drawn smaller, never shortened: a
// shortened number would be a wrong one.
function fit(node, text, width, points, bold = false) {
  const wide = measure(text, points, bold);
  if (wide > width) node.style.fontSize = `${Math.floor((points * width * 100) / wide) / 100}pt`;
}

function box(label, text) {
  const node = el('div', 'box');
  node.append(el('div', 'caption', label), el('div', 'text', text));
  return node;
}

function table(className, widths, headings, rows) {
  for (const tr of rows) {
    [...tr.cells].forEach((cell, i) => {
      if (cell.classList.contains('number') && widths[i]) {
        fit(cell, cell.textContent, parseFloat(widths[i]) - CELL_PADDING, NUMBER_POINTS);
      }
    });
  }
  const node = el('table', className);
  const columns = el('colgroup');
  for (const width of widths) {
    const column = el('col');
    if (width) column.style.width = width;
    columns.append(column);
  }
  const head = el('tr');
  for (const heading of headings) head.append(el('th', '', heading));
  const body = el('tbody');
  for (const row of rows) body.append(row);
  node.append(columns, el('thead'), body);
  node.tHead.append(head);
  return node;
}

function row(cells, numberFrom, classes = []) {
  const node = el('tr');
  cells.forEach((text, i) => node.append(el('td', classes[i] ?? (i >= numberFrom ? 'number' : ''), text)));
  return node;
}

function section(title, ...content) {
  const node = el('section');
  node.append(el('div', 'heading', title), ...content);
  return node;
}

function archetypesBox(caption, names) {
  const node = el('div', 'box archetypes');
  node.append(el('div', 'caption', caption));
  const { lines, points } = nameLines(names, ARCHETYPES_WIDTH, VALUE_POINTS, measure);
  const text = el('div', 'lines');
  for (const line of lines) {
    const shown = el('div', 'text', line);
    if (points !== VALUE_POINTS) {
      shown.style.fontSize = `${points}pt`;
      shown.style.lineHeight = `${points * 1.3}pt`;
    }
    text.append(shown);
  }
  node.append(text);
  return node;
}

// Fills `target` with the sheet of `sheet` (the core's printable texts, its
// headings and captions in `sheet.words`).
export function drawSheet(target, sheet) {
  const words = sheet.words;
  measure = measurer(target);
  target.replaceChildren();
  target.append(el('div', 'caption', words.title), el('div', 'title', sheet.name));

  const identity = el('div', 'identity');
  identity.append(
    box(words.race, sheet.race),
    archetypesBox(words.archetypes, sheet.archetypes),
    box(words.sex, sheet.sex),
    box(words.hand, sheet.hand),
  );
  target.append(identity);

  const left = el('div', 'left');
  left.append(
    section(
      words.characteristics,
      table('stat-table', ['', '14mm', '14mm', '14mm'], ['', ...words.statColumns],
        sheet.stats.map((cells) => row(cells, 1))),
    ),
  );
  const scores = el('div', 'score-boxes');
  for (const [label, text] of sheet.scores) {
    const shown = box(label, text);
    fit(shown.lastChild, text, 84 / 3 - CELL_PADDING, 13, true);
    scores.append(shown);
  }
  left.append(section(words.scores, scores));
  left.append(
    section(words.pockets, table('pocket-table', ['17mm', ''], ['', ''],
      sheet.pockets.map((cells) => row(cells, 2, ['place', ''])))),
  );
  left.querySelector('.pocket-table thead').remove();

  const skillRows = [];
  for (const group of sheet.groups) {
    const heading = el('tr', 'group');
    const cell = el('td', '', group.heading);
    cell.colSpan = 5;
    heading.append(cell);
    skillRows.push(heading);
    for (const cells of group.skills) skillRows.push(row(cells, 1, ['label']));
  }
  const right = el('div', 'right');
  right.append(
    section(
      words.skills,
      table('skill-table', ['', '12.5mm', '12.5mm', '12.5mm', '12.5mm'],
        ['', ...words.skillColumns], skillRows),
    ),
  );
  const columns = el('div', 'columns');
  columns.append(left, right);
  target.append(columns);

  const equipment = section(
    words.equipment,
    table('held-table', ['30mm', '66mm', '36mm', '18mm', '18mm', '18mm'],
      ['', ...words.itemColumns],
      sheet.held.map((cells) => row(cells, 3, ['place']))),
  );
  equipment.classList.add('equipment');
  target.append(equipment);

  const notes = el('section', 'notes');
  notes.append(el('div', 'heading', words.notes), el('div', 'lines'));
  target.append(notes);

  const footer = el('div', 'footer');
  footer.append(el('span', '', `${words.rulesFile}${sheet.rules}`), el('span', '', sheet.program));
  target.append(footer);
}

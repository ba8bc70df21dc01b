// The printable sheet: the character on one A4 page, laid out as the
// desktop prints it. Every text comes from the core; here it only finds its
// place. Texts go in as text, never as markup.

function el(tag, className, text) {
  const node = document.createElement(tag);
  if (className) node.className = className;
  if (text !== undefined) node.textContent = text;
  return node;
}

function box(label, text) {
  const node = el('div', 'box');
  node.append(el('div', 'caption', label), el('div', 'text', text));
  return node;
}

function table(className, widths, headings, rows) {
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

// Fills `target` with the sheet of `sheet` (the core's printable texts).
export function drawSheet(target, sheet) {
  target.replaceChildren();
  target.append(el('div', 'caption', 'Scheda del personaggio'), el('div', 'title', sheet.name));

  const identity = el('div', 'identity');
  identity.append(
    box('Razza', sheet.race),
    box('Archetipi', sheet.archetypes),
    box('Sesso', sheet.sex),
    box('Mano dominante', sheet.hand),
  );
  target.append(identity);

  const left = el('div', 'left');
  left.append(
    section(
      'Caratteristiche',
      table('stat-table', ['', '14mm', '14mm', '14mm'], ['', 'Valore', 'Mod.', 'Totale'],
        sheet.stats.map((cells) => row(cells, 1))),
    ),
  );
  const scores = el('div', 'score-boxes');
  for (const [label, text] of sheet.scores) scores.append(box(label, text));
  left.append(section('Punteggi', scores));
  left.append(
    section('Tasche', table('pocket-table', ['17mm', ''], ['', ''],
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
      'Abilità',
      table('skill-table', ['', '12.5mm', '12.5mm', '12.5mm', '12.5mm'],
        ['', 'Valore', 'Mod.', 'Totale', '+ Car.'], skillRows),
    ),
  );
  const columns = el('div', 'columns');
  columns.append(left, right);
  target.append(columns);

  const equipment = section(
    'Equipaggiamento',
    table('held-table', ['30mm', '66mm', '36mm', '18mm', '18mm', '18mm'],
      ['', 'Oggetto', 'Tipo', 'POTENZA', 'BONUS', 'MOD'],
      sheet.held.map((cells) => row(cells, 3, ['place']))),
  );
  equipment.classList.add('equipment');
  target.append(equipment);

  const notes = el('section', 'notes');
  notes.append(el('div', 'heading', 'Note'), el('div', 'lines'));
  target.append(notes);

  const footer = el('div', 'footer');
  footer.append(el('span', '', `Regole: ${sheet.rules}`), el('span', '', 'TARVO 1.2'));
  target.append(footer);
}

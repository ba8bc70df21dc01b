// "In gioco": a kept character as the printed sheet shows it, laid out to be
// read on a phone at the table, with + and - for what changes in play: the
// current PF and PM (from 0 to their totals) and the money (never below 0).
// Every text comes from the core; here it only finds its place.

import { Action } from './core.js';
import { el } from './dom.js';

// A table of `rows` (arrays of texts), the columns after the first under
// `headings` (none: no heading row); the first cell of a row names it.
function table(headings, rows) {
  const node = el('table');
  if (headings) {
    const head = el('tr');
    // Over the names, no heading: the section's says what they are.
    head.append(el('td'), ...headings.map((heading) => Object.assign(el('th', '', heading), { scope: 'col' })));
    node.createTHead().append(head);
  }
  const body = node.createTBody();
  for (const cells of rows) {
    const row = el('tr');
    cells.forEach((text, i) => {
      const cell = el(i === 0 ? 'th' : 'td', '', text);
      if (i === 0) cell.scope = 'row';
      row.append(cell);
    });
    body.append(row);
  }
  return node;
}

function section(title, content, heading = 'h3') {
  const node = el('section', 'play-part');
  node.append(el(heading, '', title), ...content);
  return node;
}

export class PlayView {
  // `act(actions)` does the player's changes, as the form's actions do.
  constructor(root, act) {
    this.root = root;
    this.act = act;
    this.counters = new Map();
    const counters = root.querySelector('.counters');
    for (const [key, label, action] of [
      ['pf', 'PF', Action.SetCurrentPF],
      ['pm', 'PM', Action.SetCurrentPM],
      ['money', 'Monete', Action.SetMoney],
    ]) {
      const group = el('div', 'counter');
      group.setAttribute('role', 'group');
      const caption = el('span', 'counter-label', label);
      caption.id = `play-${key}-label`;
      group.setAttribute('aria-labelledby', caption.id);
      const less = el('button', '', '−');
      less.type = 'button';
      less.setAttribute('aria-label', `${label}: meno uno`);
      const shown = el('output', 'counter-value');
      shown.id = `play-${key}`;
      shown.setAttribute('aria-labelledby', caption.id);
      shown.setAttribute('aria-live', 'polite');
      const more = el('button', '', '+');
      more.type = 'button';
      more.setAttribute('aria-label', `${label}: più uno`);
      // A sheet may hold a number outside its range (PF above their total,
      // coins below 0): a step brings it back within.
      less.addEventListener('click', () => this.act([[action, Math.min(this.values[key] - 1, this.limit(key))]]));
      more.addEventListener('click', () => this.act([[action, Math.max(this.values[key] + 1, 0)]]));
      group.append(caption, less, shown, more);
      counters.append(group);
      this.counters.set(key, { less, shown, more });
    }
    this.values = {};
  }

  // The most `key` (pf, pm, money) may be.
  limit(key) {
    return { pf: this.values.pfTotal, pm: this.values.pmTotal, money: Infinity }[key];
  }

  // Shows `sheet` (the core's printable texts with the sheet's words) and
  // `play` (the view's numbers of play).
  show(sheet, play) {
    const words = sheet.words;
    this.values = play;
    this.root.querySelector('#play-name').textContent = sheet.name;
    this.root.querySelector('#play-about').textContent = [
      sheet.race,
      sheet.archetypes.join(' / '),
      sheet.sex,
      sheet.hand,
    ]
      .filter((text) => text !== '')
      .join(' · ');
    for (const [key, { less, shown, more }] of this.counters) {
      const score = sheet.scores.find(([label]) => label === { pf: 'PF', pm: 'PM', money: 'Monete' }[key]);
      shown.value = score ? score[1] : String(play[key]);
      less.disabled = play[key] <= 0;
      more.disabled = play[key] >= this.limit(key);
      // A button that goes out of use hands the focus to the other one.
      if (less.disabled && document.activeElement === less) more.focus();
      if (more.disabled && document.activeElement === more) less.focus();
    }

    const others = sheet.scores.filter(([label]) => !['PF', 'PM', 'Monete'].includes(label));
    const scores = el('dl', 'play-scores');
    for (const [label, text] of others) {
      const item = el('div');
      item.append(el('dt', '', label), el('dd', '', text));
      scores.append(item);
    }
    const groups = sheet.groups.map((group) =>
      section(group.heading, [table(words.skillColumns, group.skills)], 'h4'),
    );
    this.root.querySelector('.play-sheet').replaceChildren(
      section(words.characteristics, [table(words.statColumns, sheet.stats)]),
      section(words.scores, [scores]),
      section(words.skills, groups),
      section(words.equipment, [table(words.itemColumns, sheet.held)]),
      section(words.pockets, [table(null, sheet.pockets)]),
    );
  }
}

// The form on the page: its controls filled from the rules, shown from the
// core's view after every action, and the user's actions passed on as
// numbers. It decides nothing: which items a list offers, which entry it
// selects, which boxes are checked or enabled, every value text, all come
// from the view.

import { Action } from './core.js';
import { listOrder } from './sort.js';

// The equipment lists in the view's order: the hands, worn, then the pockets.
const HELD_LISTS = ['right-item', 'left-item', 'worn-item'];
const pocketList = (pocket) => `pocket-item${pocket}`;

function option(value, text) {
  const entry = document.createElement('option');
  entry.value = String(value);
  entry.textContent = text;
  return entry;
}

// Selects the entry of `value` (-1: none).
function select(list, value) {
  if (value < 0) {
    list.selectedIndex = -1;
  } else if (list.value !== String(value)) {
    list.value = String(value);
  }
}

export class Form {
  // `constants` are the core's (the name field's length, the rows of
  // characteristics and skills in tab order, the headings over their values,
  // the printed sheet's words); `act(actions)` (one gesture's [action,
  // value] pairs) and `takeName(text)` pass the user's actions on.
  constructor(root, { nameLength, statSlots, skillSlots, statHeading, skillHeading, sheetWords }, { act, takeName }) {
    this.root = root;
    this.get = (id) => root.querySelector(`#${id}`);
    this.statSlots = statSlots;
    this.skillSlots = skillSlots;
    this.shownOffers = new Map();
    this.act = act;
    this.pocket = -1;
    this.get('name').maxLength = nameLength;
    // The headings are the printed sheet's.
    this.get('stats-heading').textContent = sheetWords.characteristics;
    this.get('stat-heading').textContent = statHeading;
    this.get('scores-heading').textContent = sheetWords.scores;
    this.get('skills-heading').textContent = sheetWords.skills;
    this.get('skill-heading').textContent = skillHeading;
    this.get('equipment-heading').textContent = sheetWords.equipment;
    this.get('pockets-heading').textContent = sheetWords.pockets;
    this.buildRows();
    this.wire(act, takeName);
  }

  buildRows() {
    const stats = this.get('stats');
    for (const slot of this.statSlots) stats.append(this.valueRow(`stat${slot}`, `stat-label${slot}`, 'stat-heading'));
    const skills = this.get('skills');
    for (const slot of this.skillSlots)
      skills.append(this.valueRow(`skill${slot}`, `skill-label${slot}`, 'skill-heading'));
  }

  valueRow(id, labelId, headingId) {
    const row = document.createElement('div');
    row.className = 'value-row';
    const label = document.createElement('label');
    label.id = labelId;
    label.htmlFor = id;
    const field = document.createElement('input');
    field.id = id;
    field.readOnly = true;
    // A value is read, never typed: Tab goes past it.
    field.tabIndex = -1;
    // Its column's heading says what its numbers are.
    field.setAttribute('aria-describedby', headingId);
    row.append(label, field);
    return row;
  }

  // One list a pocket, named by its pocket. Choosing in one selects its
  // pocket first, as the form's single pocket list needs.
  buildPockets(names) {
    const rows = names.map((name, pocket) => {
      const row = document.createElement('div');
      row.className = 'row';
      const label = document.createElement('label');
      label.htmlFor = pocketList(pocket);
      label.textContent = name;
      const list = document.createElement('select');
      list.id = pocketList(pocket);
      list.addEventListener('change', (event) => {
        const item = Number(event.target.value);
        const choose = [Action.ChoosePocketItem, item];
        this.act(this.pocket === pocket ? [choose] : [[Action.SelectPocket, pocket], choose]);
      });
      row.append(label, list);
      return row;
    });
    this.get('pockets').replaceChildren(...rows);
  }

  wire(act, takeName) {
    const on = (id, type, handler) => this.get(id).addEventListener(type, handler);
    // An action the core does not name would reach it as 0, a race chosen:
    // the form stops here instead.
    const sends = (id, type, action, value) => {
      if (!Number.isInteger(action)) throw new Error(`un'azione che il modulo non conosce: ${action}`);
      on(id, type, (event) => act([[action, value(event)]]));
    };
    const chosen = (id, action) => sends(id, 'change', action, (event) => Number(event.target.value));
    const clicked = (id, action) => sends(id, 'click', action, () => 0);
    const changed = (id, action) => sends(id, 'change', action, () => 0);
    // A check box sends the state the click gave it.
    const ticked = (id, action) => sends(id, 'change', action, (event) => (event.target.checked ? 1 : 0));

    on('name', 'blur', (event) => takeName(event.target.value));
    chosen('race', Action.ChooseRace);
    clicked('reroll-race', Action.RerollRace);
    changed('male', Action.ChooseMale);
    changed('female', Action.ChooseFemale);
    ticked('right-handed', Action.SetRightHanded);
    ticked('left-handed', Action.SetLeftHanded);
    chosen('archetype1', Action.ChooseArchetype1);
    clicked('reroll-skills', Action.RerollSkills);
    ticked('use-archetype2', Action.UseArchetype2);
    chosen('archetype2', Action.ChooseArchetype2);
    ticked('use-archetype3', Action.UseArchetype3);
    chosen('archetype3', Action.ChooseArchetype3);
    chosen('right-item', Action.ChooseRightItem);
    chosen('left-item', Action.ChooseLeftItem);
    chosen('worn-item', Action.ChooseWornItem);
  }

  // The labels and lists of new rules; returns the archetype the lists
  // start on (the first in list order), or -1 when there is none.
  setRules(rules) {
    for (const slot of this.statSlots) this.setLabel(`stat${slot}`, `stat-label${slot}`, rules.statLabels[slot - 1]);
    for (const slot of this.skillSlots)
      this.setLabel(`skill${slot}`, `skill-label${slot}`, rules.skillLabels[slot - 1]);

    const race = this.get('race');
    race.replaceChildren(...rules.races.map((name, i) => option(i, name)));
    const archetypeOrder = listOrder(rules.archetypes);
    for (const id of ['archetype1', 'archetype2', 'archetype3']) {
      this.get(id).replaceChildren(...archetypeOrder.map((i) => option(i, rules.archetypes[i])));
    }
    this.buildPockets(rules.pocketNames);
    this.get('pockets-heading').hidden = rules.pocketNames.length === 0;
    // Each item with its price after its name; the lists sort by the name.
    this.itemTexts = rules.items.map((name, i) => `${name} — ${rules.prices[i]}`);

    // The catalogue in the equipment lists' order.
    this.itemOrder = listOrder(rules.items);
    this.shownOffers.clear();
    return archetypeOrder.length > 0 ? archetypeOrder[0] : -1;
  }

  setLabel(fieldId, labelId, text) {
    const row = this.get(fieldId).parentElement;
    row.hidden = text === undefined;
    this.get(labelId).textContent = text ?? '';
    if (text === undefined) this.get(fieldId).value = '';
  }

  // Shows what the core says every control holds. The name field keeps what
  // is being typed in it, unless `always`: a character opened or started
  // anew has a name of its own.
  show(view, always = false) {
    const name = this.get('name');
    if (always || document.activeElement !== name) name.value = view.name;
    select(this.get('race'), view.race);
    view.archetypes.forEach((archetype, k) => select(this.get(`archetype${k + 1}`), archetype));
    this.get('use-archetype2').checked = view.useArchetype2;
    this.get('use-archetype3').checked = view.useArchetype3;
    this.get('archetype2').disabled = !view.archetype2Enabled;
    this.get('use-archetype3').disabled = !view.useArchetype3Enabled;
    this.get('archetype3').disabled = !view.archetype3Enabled;
    this.get('male').checked = view.male;
    this.get('female').checked = !view.male;
    this.get('right-handed').checked = view.rightHanded;
    this.get('left-handed').checked = view.leftHanded;

    view.stats.forEach((text, c) => (this.get(`stat${c + 1}`).value = text));
    view.skills.forEach((text, s) => (this.get(`skill${s + 1}`).value = text));
    for (const key of ['pf', 'pm', 'honour', 'cdb', 'protection', 'money']) this.get(key).value = view[key];

    this.pocket = view.pocket;
    view.lists.forEach((list, k) =>
      this.showList(this.get(k < HELD_LISTS.length ? HELD_LISTS[k] : pocketList(k - HELD_LISTS.length)), list),
    );
  }

  // An equipment list: the entries it offers (`offer` has a "1" for each
  // catalogue item offered; null when the list offers what it offered in the
  // last view), in list order, rebuilt only when the offer changed, and the
  // held item selected.
  showList(list, { offer, selected }) {
    if (offer !== null && this.shownOffers.get(list.id) !== offer) {
      this.shownOffers.set(list.id, offer);
      const offered = this.itemOrder.filter((item) => offer[item] === '1');
      list.replaceChildren(...offered.map((item) => option(item, this.itemTexts[item])));
    }
    select(list, selected);
  }
}

// The order of the sorted lists: Italian, without regard to case, accents
// counting; names that compare equal keep their order in the rules.
const collator = new Intl.Collator('it', { sensitivity: 'accent' });

// The indices of `names` in list order.
export function listOrder(names) {
  return names.map((_, i) => i).sort((a, b) => collator.compare(names[a], names[b]) || a - b);
}
